-- Tables that are views without end: the reads must be cut short, not hang.
CREATE VIEW cues AS WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c)
  SELECT 'cue' || i AS cue_id, 'GLOBAL' AS cue_type, '' AS cue_arguments FROM c;
CREATE VIEW journeys AS WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c)
  SELECT 'J' || i AS JOURNEY_ID, '' AS JOURNEY_TRANSITION_CUE, '' AS LINK_TRANSITION_CUE, '' AS CUES FROM c;
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE VIEW links AS WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c)
  SELECT 'L' || i AS LINK_ID, 'N' || i AS LINKNODE_ID1, 'N' || (i + 1) AS LINKNODE_ID2 FROM c;
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
INSERT INTO Journey_links VALUES ('NJP', 'L0'), ('J0', 'L1');
INSERT INTO link_nodes VALUES ('N0', '', ''), ('N1', '', ''), ('N2', '', '');
