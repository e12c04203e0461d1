-- A generated journey of three hundred link nodes with points, and fifty journeys.
CREATE TABLE journeys (JOURNEY_ID TEXT, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
CREATE INDEX attributes_by_id ON attributes (id, symbol);
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 299)
INSERT INTO link_nodes SELECT 'N' || i, 'P' || i, CASE WHEN i % 7 = 0 THEN 'stop' ELSE '' END, i, i + 1, 0, 1 FROM n;
INSERT INTO links SELECT 'L' || substr(LINKNODE_ID, 2), LINKNODE_ID, 'N' || (substr(LINKNODE_ID, 2) + 1), 1.5
  FROM link_nodes WHERE substr(LINKNODE_ID, 2) + 0 < 299;
INSERT INTO Journey_links SELECT 'long', LINK_ID FROM links;
INSERT INTO attributes SELECT POINT_ID, 'lat', substr(POINT_ID, 2) + 0.5 FROM link_nodes;
INSERT INTO attributes SELECT POINT_ID, 'Long', -1 FROM link_nodes;
INSERT INTO cues VALUES ('stop', 'ENTER_TRANSITION', 'stop.wav');
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 49)
INSERT INTO journeys SELECT 'J' || i, 'stop', 'stop', 'stop', i % 2 FROM n;
INSERT INTO journeys VALUES ('long', 'stop', 'stop', 'stop', 1);
