-- Values of every storage class where texts and numbers are expected, and tables that are views.
CREATE TABLE journeys (JOURNEY_ID TEXT, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
INSERT INTO cues VALUES (1, 2, 3.5), (X'00FF', X'474C4F42414C', NULL), (NULL, 'GLOBAL', ''), ('big', 'SIMPLE', zeroblob(64));
INSERT INTO journeys VALUES (NULL, '', '', '', 1), (1, 1, 1, '1,2', 1), (2.5, NULL, NULL, NULL, '1'), (X'4A', '', '', '', 1.0);
INSERT INTO Journey_links VALUES (1, 10), (1, 11), (2.5, 12), ('J', 13), ('NJP', 14);
INSERT INTO links VALUES (10, 1, 2, '12 km'), (11, 2, 3, X'3130'), (12, 3, 4, 1e308), (13, 4, 5, -1e308), (14, 6, 7, 'NaN');
INSERT INTO link_nodes VALUES (1, 1, 1, 'x', 'y', NULL, 1), (2, 2, '1,1,1', -1e308, 1e308, -1e308, 1e308),
  (3, 3, '', 9e999, -9e999, 0, 0), (4, 4, '', 0, 0, 0, 0), (5, 5, '', 1, 2, 3, 4), (6, '', '', 1, 2, 3, 4), (7, '', '', 1, 2, 3, 4);
INSERT INTO attributes VALUES (1, 'LAT', 'inf'), (1, 'LONG', '-nan'), (2, 'LAT', '0x1p3'), (2, 'LONG', '1e999'),
  (3, 'LAT', ' 12.5 km'), (4, 'lat', X'31'), ('', 'LAT', '7'), (1, 'IsCircular', 1), (1, 'IsRandom', '1.0');
CREATE VIEW v_journeys AS SELECT * FROM journeys;
