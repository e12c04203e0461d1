-- Tables and columns missing: no cues, no Journey_links, no attributes, journeys without its cue columns.
CREATE TABLE journeys (JOURNEY_ID TEXT, SELECTABLE INTEGER);
CREATE TABLE links (LINK_ID TEXT, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT);
CREATE TABLE link_nodes (LINKNODE_ID TEXT, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL);
INSERT INTO journeys VALUES ('north', 1);
INSERT INTO links VALUES ('n1', 'A', 'B');
INSERT INTO link_nodes VALUES ('A', 'PA', '', 1, 2, 3), ('B', 'PB', '', 1, 2, 3);
