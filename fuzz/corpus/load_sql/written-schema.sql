-- A schema written by hand: the database says its tables hold columns they do not.
CREATE TABLE journeys (JOURNEY_ID TEXT, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
INSERT INTO journeys VALUES ('north', '', '', '', 1);
INSERT INTO Journey_links VALUES ('north', 'n1');
INSERT INTO links VALUES ('n1', 'A', 'B', 1);
INSERT INTO link_nodes VALUES ('A', 'PA', '', 0, 1, 0, 1), ('B', 'PB', '', 0, 1, 0, 1);
PRAGMA writable_schema = ON;
UPDATE sqlite_master SET sql = 'CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT)' WHERE name = 'links';
UPDATE sqlite_master SET sql = 'CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT, extra TEXT)' WHERE name = 'cues';
PRAGMA writable_schema = OFF;
