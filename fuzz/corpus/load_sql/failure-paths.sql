-- Every reader's failure path: unknown cue names, a link from a node to itself, a journey without
-- links, a ring, contradictory order flags, odd type and value texts, NULLs.
CREATE TABLE journeys (JOURNEY_ID TEXT, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
INSERT INTO cues VALUES ('welcome', 'JOURNEY_ENTRY_TRANSITION', 'welcome.wav,en'),
  ('goodbye', 'journey_exit_transition', ''), ('stop', 'LINK_ENTRY_TRANSITION', 'stop.wav,2'),
  ('arrive', 'Transition', 'arrive.wav'), ('chime', 'SIMPLE', ''), ('doors', 'GLOBAL', 'doors.wav'),
  ('smoke', 'global', 'a,,b,'), ('', 'GLOBAL', 'dropped'), ('odd', 'GLOBAL ', NULL), ('doors', 'SIMPLE', 'second');
INSERT INTO journeys VALUES ('north', 'welcome', 'stop', 'welcome,goodbye,missing', 1),
  ('loop', '', 'arrive', 'chime', 1), ('empty', 'nowhere', '', '', 1), ('hidden', '', '', '', 0),
  ('north', NULL, NULL, NULL, 1);
INSERT INTO Journey_links VALUES ('north', 'n1'), ('north', 'n2'), ('north', 'n3'), ('loop', 'l1'),
  ('loop', 'l2'), ('NJP', 'p1'), ('NJP', 'p2'), ('north', 'n1');
INSERT INTO links VALUES ('n1', 'A', 'B', 100.5), ('n2', 'B', 'C', 200), ('n3', 'C', 'C', 7),
  ('l1', 'X', 'Y', 1), ('l2', 'Y', 'X', 2), ('p1', 'Q', 'R', 0), ('p2', 'R', 'S', NULL);
INSERT INTO link_nodes VALUES
  ('A', 'PA', 'chime,,unknown', 51.0, 51.1, -0.2, -0.1), ('B', 'PB', 'stop,arrive', 52.0, 52.1, -1.2, -1.1),
  ('C', 'PC', '', 53.0, 53.0, 0, 1), ('X', 'PX', '', 0, 0, 0, 0), ('Y', 'PY', 'doors', 0, 0, 0, 0),
  ('Q', 'PQ', 'doors', 1, 2, 3, 4), ('R', 'PR', '', NULL, 2, 3, 4), ('S', 'PS', 'chime', 1, 2, 3, 4);
INSERT INTO attributes VALUES ('PA', 'LAT', '51.05'), ('PA', 'LONG', '-0.15'), ('PB', 'lat', '52.05'),
  ('PB', 'Long', '-1.15 km'), ('PC', 'Lat', 'abc'), ('PQ', 'LAT', '1.5'), ('PQ', 'LONG', '3.5'),
  ('loop', 'IsCircular', '1'), ('loop', 'IsRandom', '1'), ('north', 'IsRandom', '1'), ('PQ', 'LAT', '9');
