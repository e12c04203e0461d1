-- Three journeys and the non-journey points NJP, every field of a link node set.
CREATE TABLE journeys (JOURNEY_ID TEXT, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
INSERT INTO cues VALUES ('welcome', 'JOURNEY_ENTRY_TRANSITION', 'welcome.wav'),
  ('goodbye', 'JOURNEY_EXIT_TRANSITION', ''), ('stop', 'LINK_ENTRY_TRANSITION', 'stop.wav,2'),
  ('chime', 'SIMPLE', ''), ('gap', 'GLOBAL', '');
INSERT INTO journeys VALUES ('north', 'welcome', 'stop', 'welcome,goodbye', 1),
  ('south', '', 'stop', '', 1), ('loop', '', '', 'chime', 1), ('hidden', '', '', '', 0);
INSERT INTO Journey_links VALUES ('north', 'n1'), ('north', 'n2'), ('south', 's1'), ('loop', 'l1'),
  ('loop', 'l2'), ('loop', 'l3'), ('NJP', 'p1');
INSERT INTO links VALUES ('n1', 'A', 'B', 100.5), ('n2', 'B', 'C', 200),
  ('s1', 'C', 'A', 50), ('l1', 'X', 'Y', 1), ('l2', 'Y', 'Z', 2), ('l3', 'Z', 'X', 3), ('p1', 'Q', 'R', 0);
INSERT INTO link_nodes VALUES
  ('A', 'PA', 'chime', 51.0, 51.1, -0.2, -0.1), ('B', 'PB', 'stop,chime', 52.0, 52.1, -1.2, -1.1),
  ('C', 'PC', '', 53.0, 53.0, 0, 1), ('X', 'PX', '', 0, 0, 0, 0), ('Y', 'PY', '', 0, 0, 0, 0),
  ('Z', 'PZ', '', 0, 0, 0, 0), ('Q', 'PQ', 'gap', 1, 2, 3, 4), ('R', 'PR', '', 0, 0, 0, 0);
INSERT INTO attributes VALUES ('PA', 'LAT', '51.05'), ('PA', 'LONG', '-0.15'), ('PB', 'lat', '52.05'),
  ('PB', 'Long', '-1.15'), ('PQ', 'LAT', '1.5'), ('PQ', 'LONG', '3.5'), ('loop', 'IsCircular', '1');
