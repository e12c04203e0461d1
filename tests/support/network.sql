-- A small network that takes every reader through its normal and its failure paths: type texts in
-- any case and unknown ones, a repeated and an empty cue name, unknown names in cue lists, a journey
-- that is not selectable, a link from a node to itself, a journey without links, a ring without a
-- start, contradictory order flags, NULLs and texts where numbers belong, points under every
-- latitude and longitude symbol, ids that quoted carelessly would change a statement, and the
-- non-journey points stored under the journey id NJP.
CREATE TABLE journeys (JOURNEY_ID TEXT, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
INSERT INTO cues VALUES ('welcome', 'JOURNEY_ENTRY_TRANSITION', 'welcome.wav,en'), ('bye', 'exit_transition', ''),
  ('goodbye', 'Journey_Exit_Transition', ''), ('stop', 'LINK_ENTRY_TRANSITION', 'stop.wav,2'),
  ('arrive', 'Transition', 'arrive.wav'), ('chime', 'SIMPLE', NULL), ('doors', 'global', 'a,,b,'),
  ('doors', 'SIMPLE', 'second'), ('', 'GLOBAL', 'dropped'), ('odd', 'GLOBAL ', ''), ('it''s', 'SIMPLE', 'a''b');
INSERT INTO journeys VALUES ('north', 'welcome', 'stop', 'bye,goodbye,missing', 1),
  ('loop', 'welcome', '', 'chime,arrive', 1), ('empty', 'nowhere', 'stop', '', 1), ('hidden', '', '', '', 0),
  ('x'' OR ''1''=''1', '', 'it''s', 'it''s', 1);
INSERT INTO Journey_links VALUES ('north', 'n1'), ('north', 'n2'), ('north', 'n3'), ('loop', 'l1'),
  ('loop', 'l2'), ('NJP', 'p1'), ('NJP', 'p2'), ('x'' OR ''1''=''1', '%_');
INSERT INTO links VALUES ('n1', 'A', 'B', 100.5), ('n2', 'B', 'C', 200), ('n3', 'C', 'C', 7),
  ('l1', 'X', 'Y', 1), ('l2', 'Y', 'X', 2), ('p1', 'Q', 'R', NULL), ('p2', 'R', 'S', 0),
  ('%_', 'O''Hare', CAST(x'ff27fe' AS TEXT), 7);
INSERT INTO link_nodes VALUES ('A', 'PA', 'chime,,unknown', 51.0, 51.1, -0.2, -0.1),
  ('B', 'PB', 'stop,arrive,chime', 52.0, 52.1, -1.2, NULL), ('C', 'PC', '', 53.0, 53.0, 0, 1),
  ('X', 'PX', '', 0, 0, 0, 0), ('Y', 'PY', 'doors', 0, 0, 0, 0), ('Q', 'PQ', 'doors', NULL, 2, 3, 4),
  ('R', 'PR', '', 1, 2, 3, 4), ('S', 'PS', 'chime', 1, 2, 3, 4), ('O''Hare', 'p''1', 'it''s', 1, 2, 3, 4),
  (CAST(x'ff27fe' AS TEXT), '%', '', 0, 0, 0, 0);
INSERT INTO attributes VALUES ('PA', 'LAT', '51.05'), ('PA', 'LONG', '-0.15'), ('PB', 'lat', '52.05'),
  ('PB', 'Long', '-1.15 km'), ('PC', 'Lat', 'abc'), ('PQ', 'LAT', '1.5'), ('PQ', 'LAT', '9'),
  ('PQ', 'long', '3.5'), ('p''1', 'LAT', '9.5'), ('%', 'Long', '8.25'), ('north', 'IsRandom', '1'),
  ('loop', 'IsCircular', '1'), ('loop', 'IsRandom', '1'), ('NJP', 'IsCircular', '1'),
  ('x'' OR ''1''=''1', 'IsRandom', '1');
