-- Graph shapes: a diamond, a ring entered from outside, a ring alone, a self-link, repeated links,
-- a node named ROOT, empty node ids, two start nodes interleaved.
CREATE TABLE journeys (JOURNEY_ID TEXT, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
INSERT INTO journeys VALUES ('diamond', '', '', '', 1), ('entered', '', '', '', 1), ('ring', '', '', '', 1),
  ('odd', '', '', '', 1), ('two', '', '', '', 1);
INSERT INTO Journey_links VALUES ('diamond', 'd1'), ('diamond', 'd2'), ('diamond', 'd3'), ('diamond', 'd4'),
  ('entered', 'e0'), ('entered', 'e1'), ('entered', 'e2'), ('entered', 'e3'), ('ring', 'r1'), ('ring', 'r2'),
  ('odd', 'o1'), ('odd', 'o2'), ('odd', 'o2'), ('odd', 'o3'), ('odd', 'o4'), ('odd', 'o5'),
  ('two', 't1'), ('two', 't2'), ('two', 't3'), ('two', 't4');
INSERT INTO links VALUES ('d1', 'A', 'B', 1), ('d2', 'A', 'C', 2), ('d3', 'B', 'D', 3), ('d4', 'C', 'D', 4),
  ('e0', 'S', 'E1', 1), ('e1', 'E1', 'E2', 1), ('e2', 'E2', 'E3', 1), ('e3', 'E3', 'E1', 1),
  ('r1', 'R1', 'R2', 1), ('r2', 'R2', 'R1', 1),
  ('o1', 'ROOT', 'x', 1), ('o2', 'x', 'x', 1), ('o3', '', 'y', 0), ('o4', '', '', 0), ('o5', 'y', 'ROOT', 0),
  ('t1', 'B1', 'B2', 1), ('t2', 'A1', 'A2', 1), ('t3', 'B2', 'B3', 1), ('t4', 'A2', 'A3', 1);
INSERT INTO link_nodes SELECT DISTINCT LINKNODE_ID1, 'P' || LINKNODE_ID1, '', 0, 1, 0, 1 FROM links
  UNION SELECT DISTINCT LINKNODE_ID2, 'P' || LINKNODE_ID2, '', 0, 1, 0, 1 FROM links;
INSERT INTO attributes SELECT POINT_ID, 'LAT', 0.5 FROM link_nodes;
