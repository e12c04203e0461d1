-- A database in UTF-16 and in write-ahead-log mode.
PRAGMA encoding = 'UTF-16le';
PRAGMA journal_mode = WAL;
CREATE TABLE journeys (JOURNEY_ID TEXT, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);
INSERT INTO cues VALUES ('zürich', 'GLOBAL', 'grüezi,ça va'), ('東京', 'ENTER_TRANSITION', '');
INSERT INTO journeys VALUES ('überland', '東京', '東京', 'zürich,東京', 1);
INSERT INTO Journey_links VALUES ('überland', 'ü1');
INSERT INTO links VALUES ('ü1', 'Ä', 'Ö', 3.5);
INSERT INTO link_nodes VALUES ('Ä', 'pÄ', '東京', 0, 1, 0, 1), ('Ö', 'pÖ', 'zürich', 0, 1, 0, 1);
INSERT INTO attributes VALUES ('pÄ', 'LAT', '0.5'), ('pÖ', 'LONG', '0.5');
