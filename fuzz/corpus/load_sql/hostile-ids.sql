-- Ids that would change a statement placed between quotes unchanged, as every kind of id.
CREATE TABLE journeys (JOURNEY_ID TEXT, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
INSERT INTO cues VALUES ('''', 'ENTER_TRANSITION', ''''), (''' OR ''1''=''1', 'GLOBAL', '%,_'),
  ('''; DROP TABLE cues; --', 'EXIT_TRANSITION', ''), (CAST(X'FFFE80' AS TEXT), 'SIMPLE', CAST(X'C328' AS TEXT)),
  (CAST(X'6E756C006375' AS TEXT), 'LINK_ENTRY_TRANSITION', '');
INSERT INTO journeys VALUES ('''', '''', ''' OR ''1''=''1', ''',''; DROP TABLE cues; --', 1),
  (''' OR ''1''=''1', '', '', CAST(X'FFFE80' AS TEXT), 1), ('%', '', '', '', 1), ('_', '', '', '', 1),
  (CAST(X'6E756C006A' AS TEXT), '', '', CAST(X'6E756C006375' AS TEXT), 1), ('NJP', '', '', '', 1);
INSERT INTO Journey_links VALUES ('''', ''''), ('''', '''''), (''' OR ''1''=''1', '%'), ('%', '_'),
  (CAST(X'6E756C006A' AS TEXT), ''''), ('NJP', CAST(X'6E756C006C' AS TEXT));
INSERT INTO links VALUES ('''', '''', ''' OR ''1''=''1', 1), ('''''', ''' OR ''1''=''1', '%', 2),
  ('%', '%', '_', 3), ('_', '_', '%', 4), (CAST(X'6E756C006C' AS TEXT), CAST(X'6E756C006E' AS TEXT), 'ROOT', 5);
INSERT INTO link_nodes VALUES ('''', '''', ''',''; DROP TABLE cues; --', 0, 1, 0, 1),
  (''' OR ''1''=''1', ''' OR ''1''=''1', ''' OR ''1''=''1', 0, 1, 0, 1), ('%', '%', '', 0, 1, 0, 1),
  ('_', '_', CAST(X'FFFE80' AS TEXT), 0, 1, 0, 1), (CAST(X'6E756C006E' AS TEXT), CAST(X'6E756C0070' AS TEXT), CAST(X'6E756C006375' AS TEXT), 0, 1, 0, 1),
  ('ROOT', '', '', 0, 0, 0, 0);
INSERT INTO attributes VALUES ('''', 'LAT', '0.5'), ('''', 'LONG', '0.5'), (''' OR ''1''=''1', 'lat', '1'),
  ('%', 'Lat', '2'), ('_', 'long', '3'), (CAST(X'6E756C0070' AS TEXT), 'LAT', '4'), ('''', 'IsRandom', '1');
