-- A cue catalogue of three cues, one of them listed twice: the first row of a name wins.
CREATE TABLE cues (cue_id TEXT, cue_type TEXT, cue_arguments TEXT);
INSERT INTO cues VALUES ('welcome', 'JOURNEY_ENTRY_TRANSITION', 'welcome.wav');
INSERT INTO cues VALUES ('next-stop', 'link_entry_transition', 'next.wav,chime');
INSERT INTO cues VALUES ('mind-the-gap', 'GLOBAL', '');
INSERT INTO cues VALUES ('welcome', 'SIMPLE', 'other.wav');
