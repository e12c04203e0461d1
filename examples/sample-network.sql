-- Sample network of Wrenmouth, a small fictional harbour town.
-- Four journeys, the non-journey points stored under the journey id NJP, and every cue type.
-- Load it into a new database with: sqlite3 wrenmouth.db < sample-network.sql

CREATE TABLE cues (cue_id TEXT PRIMARY KEY, cue_type TEXT, cue_arguments TEXT);
CREATE TABLE journeys (JOURNEY_ID TEXT PRIMARY KEY, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE TEXT, CUES TEXT, SELECTABLE INTEGER);
CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);
CREATE TABLE links (LINK_ID TEXT PRIMARY KEY, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT REAL);
CREATE TABLE link_nodes (LINKNODE_ID TEXT PRIMARY KEY, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL, BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);
CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);

-- Type texts are compared upper-cased, so 'Transition' and 'TRANSITION' are the same type.
INSERT INTO cues VALUES ('journey_welcome', 'JOURNEY_ENTRY_TRANSITION', 'welcome_aboard.wav,en,gd');
INSERT INTO cues VALUES ('school_welcome', 'journey_entry_transition', 'school_welcome.wav,en');
INSERT INTO cues VALUES ('journey_goodbye', 'Journey_Exit_Transition', 'thank_you.wav,en,gd');
INSERT INTO cues VALUES ('tour_welcome', 'ENTER_TRANSITION', 'tour_welcome.wav,en');
INSERT INTO cues VALUES ('tour_goodbye', 'exit_transition', 'tour_goodbye.wav,en');
INSERT INTO cues VALUES ('next_stop_chime', 'link_entry_transition', 'chime.wav');
INSERT INTO cues VALUES ('tour_next_sight', 'Link_Entry_Transition', 'tour_chime.wav');
INSERT INTO cues VALUES ('departing_chime', 'LINK_EXIT_TRANSITION', 'depart_chime.wav');
INSERT INTO cues VALUES ('leaving_station', 'EXIT_TRANSITION', 'leaving_station.wav,en');
INSERT INTO cues VALUES ('stop_station', 'ENTER_TRANSITION', 'stop_station.wav,en');
INSERT INTO cues VALUES ('stop_church', 'Transition', 'stop_church.wav,en');
INSERT INTO cues VALUES ('stop_market', 'ENTER_TRANSITION', 'stop_market.wav,en');
INSERT INTO cues VALUES ('stop_town_hall', 'TRANSITION', 'stop_town_hall.wav,en');
INSERT INTO cues VALUES ('stop_library', 'enter_transition', 'stop_library.wav,en');
INSERT INTO cues VALUES ('stop_college', 'ENTER_TRANSITION', 'stop_college.wav,en');
INSERT INTO cues VALUES ('stop_hospital', 'ENTER_TRANSITION', 'stop_hospital.wav,en');
INSERT INTO cues VALUES ('stop_harbour_square', 'ENTER_TRANSITION', 'stop_harbour_square.wav,en');
INSERT INTO cues VALUES ('harbour_welcome', 'enter_transition', 'harbour_welcome.wav,en,gd');
INSERT INTO cues VALUES ('stop_fish_quay', 'TRANSITION', 'stop_fish_quay.wav,en');
INSERT INTO cues VALUES ('stop_cliff_top', 'ENTER_TRANSITION', 'stop_cliff_top.wav,en');
INSERT INTO cues VALUES ('stop_northfield', 'ENTER_TRANSITION', 'stop_northfield.wav,en');
INSERT INTO cues VALUES ('stop_academy', 'ENTER_TRANSITION', 'stop_academy.wav,en');
INSERT INTO cues VALUES ('tourist_info', 'ENTER_TRANSITION', 'tourist_info.wav,en');
INSERT INTO cues VALUES ('terminus', 'SIMPLE', 'terminus.wav,en');
INSERT INTO cues VALUES ('market_day_notice', 'SIMPLE', 'market_day.wav,en');
INSERT INTO cues VALUES ('market_route_info', 'simple', 'route_market.wav,en');
INSERT INTO cues VALUES ('harbour_loop_info', 'SIMPLE', 'route_harbour.wav,en');
INSERT INTO cues VALUES ('harbour_view', 'Simple', 'harbour_view.wav,en');
INSERT INTO cues VALUES ('park_info', 'SIMPLE', 'park_info.wav,en');
INSERT INTO cues VALUES ('quiet_zone', 'SIMPLE', '');
INSERT INTO cues VALUES ('school_rules', 'SIMPLE', 'school_rules.wav,en');
INSERT INTO cues VALUES ('sight_castle', 'SIMPLE', 'sight_castle.wav,en,gd');
INSERT INTO cues VALUES ('sight_gaol', 'SIMPLE', 'sight_gaol.wav,en');
INSERT INTO cues VALUES ('sight_museum', 'SIMPLE', 'sight_museum.wav,en');
INSERT INTO cues VALUES ('sight_abbey', 'SIMPLE', 'sight_abbey.wav,en,gd');
INSERT INTO cues VALUES ('sight_guildhall', 'SIMPLE', 'sight_guildhall.wav,en');
INSERT INTO cues VALUES ('sight_weavers', 'SIMPLE', 'sight_weavers.wav,en');
INSERT INTO cues VALUES ('sight_lighthouse', 'SIMPLE', 'sight_lighthouse.wav,en');
INSERT INTO cues VALUES ('depot_zone', 'SIMPLE', 'depot_speed_limit.wav,en');
INSERT INTO cues VALUES ('keep_clear', 'SIMPLE', 'keep_clear.wav,en');
INSERT INTO cues VALUES ('mind_the_doors', 'GLOBAL', 'doors.wav,en,gd');
INSERT INTO cues VALUES ('no_smoking', 'global', 'no_smoking.wav,en');
INSERT INTO cues VALUES ('cctv_notice', 'Global', 'cctv.wav,en');

-- SCHOOL runs on school days only and is not offered for selection.
INSERT INTO journeys VALUES ('MARKET', 'journey_welcome', 'next_stop_chime', 'market_route_info,journey_goodbye', 1);
INSERT INTO journeys VALUES ('HARBOUR', 'journey_welcome', 'next_stop_chime', 'harbour_loop_info,journey_goodbye', 1);
INSERT INTO journeys VALUES ('HERITAGE', 'journey_welcome', 'tour_next_sight', 'tour_welcome,tour_goodbye', 1);
INSERT INTO journeys VALUES ('SCHOOL', 'school_welcome', 'next_stop_chime', 'school_rules,departing_chime', 0);

-- One row per journey and link; the links of a journey may come in any order.
INSERT INTO Journey_links VALUES ('MARKET', 'MKT-L5'), ('MARKET', 'MKT-L1'), ('MARKET', 'MKT-L8'), ('MARKET', 'MKT-L3'), ('MARKET', 'MKT-L2'), ('MARKET', 'MKT-L7'), ('MARKET', 'MKT-L4'), ('MARKET', 'MKT-L6');
INSERT INTO Journey_links VALUES ('HARBOUR', 'HBR-L1'), ('HARBOUR', 'HBR-L2'), ('HARBOUR', 'HBR-L3'), ('HARBOUR', 'HBR-L4'), ('HARBOUR', 'HBR-L5'), ('HARBOUR', 'HBR-L6');
INSERT INTO Journey_links VALUES ('HERITAGE', 'HRT-L1'), ('HERITAGE', 'HRT-L2'), ('HERITAGE', 'HRT-L3'), ('HERITAGE', 'HRT-L4'), ('HERITAGE', 'HRT-L5');
INSERT INTO Journey_links VALUES ('SCHOOL', 'SCH-L1'), ('SCHOOL', 'SCH-L2'), ('SCHOOL', 'SCH-L3');
-- NJP is not a row of journeys: it holds the non-journey points.
INSERT INTO Journey_links VALUES ('NJP', 'NJP-L1'), ('NJP', 'NJP-L2'), ('NJP', 'NJP-L3');

-- Each link runs from LINKNODE_ID1 to LINKNODE_ID2; DISTANCE_TRANSIT is in metres along the road.
INSERT INTO links VALUES ('MKT-L1', 'MKT01', 'MKT02', 424);
INSERT INTO links VALUES ('MKT-L2', 'MKT02', 'MKT03', 451);
INSERT INTO links VALUES ('MKT-L3', 'MKT03', 'MKT04', 492);
INSERT INTO links VALUES ('MKT-L4', 'MKT04', 'MKT05', 433);
INSERT INTO links VALUES ('MKT-L5', 'MKT05', 'MKT06', 486);
INSERT INTO links VALUES ('MKT-L6', 'MKT06', 'MKT07', 488);
INSERT INTO links VALUES ('MKT-L7', 'MKT07', 'MKT08', 494);
INSERT INTO links VALUES ('MKT-L8', 'MKT08', 'MKT09', 494);
-- The loop ends at the east stand of Harbour Square; no link returns to HBR01.
INSERT INTO links VALUES ('HBR-L1', 'HBR01', 'HBR02', 387);
INSERT INTO links VALUES ('HBR-L2', 'HBR02', 'HBR03', 379);
INSERT INTO links VALUES ('HBR-L3', 'HBR03', 'HBR04', 387);
INSERT INTO links VALUES ('HBR-L4', 'HBR04', 'HBR05', 378);
INSERT INTO links VALUES ('HBR-L5', 'HBR05', 'HBR06', 382);
INSERT INTO links VALUES ('HBR-L6', 'HBR06', 'HBR07', 322);
INSERT INTO links VALUES ('HRT-L1', 'HRT06', 'HRT01', 347);
INSERT INTO links VALUES ('HRT-L2', 'HRT01', 'HRT02', 349);
INSERT INTO links VALUES ('HRT-L3', 'HRT02', 'HRT03', 341);
INSERT INTO links VALUES ('HRT-L4', 'HRT03', 'HRT04', 349);
INSERT INTO links VALUES ('HRT-L5', 'HRT04', 'HRT05', 415);
-- SCHOOL passes the Library, a link node it shares with MARKET.
INSERT INTO links VALUES ('SCH-L1', 'SCH01', 'SCH02', 516);
INSERT INTO links VALUES ('SCH-L2', 'SCH02', 'MKT06', 673);
INSERT INTO links VALUES ('SCH-L3', 'MKT06', 'SCH03', 406);
-- The non-journey points have no distances.
INSERT INTO links VALUES ('NJP-L1', 'NJP01', 'NJP02', NULL);
INSERT INTO links VALUES ('NJP-L2', 'NJP02', 'NJP03', NULL);
INSERT INTO links VALUES ('NJP-L3', 'NJP03', 'NJP04', NULL);

-- Bounding boxes are in degrees, about 30 to 60 m across.
INSERT INTO link_nodes VALUES ('MKT01', 'P101', 'stop_station,leaving_station', 57.469667, 57.470170, -7.390471, -7.389537);
INSERT INTO link_nodes VALUES ('MKT02', 'P102', '', 57.471373, 57.471697, -7.384303, -7.383703);
INSERT INTO link_nodes VALUES ('MKT03', 'P103', 'stop_church', 57.473959, 57.474319, -7.378669, -7.378002);
INSERT INTO link_nodes VALUES ('MKT04', 'P104', 'stop_market,market_day_notice', 57.476429, 57.476878, -7.372418, -7.371584);
INSERT INTO link_nodes VALUES ('MKT05', 'P105', 'stop_town_hall', 57.478269, 57.478629, -7.366334, -7.365667);
INSERT INTO link_nodes VALUES ('MKT06', 'P106', 'stop_library,quiet_zone', 57.480245, 57.480604, -7.359833, -7.359166);
INSERT INTO link_nodes VALUES ('MKT07', 'P107', 'park_info', 57.482867, 57.483190, -7.353798, -7.353198);
INSERT INTO link_nodes VALUES ('MKT08', 'P108', 'stop_college', 57.485363, 57.485722, -7.347831, -7.347164);
INSERT INTO link_nodes VALUES ('MKT09', 'P109', 'stop_hospital,terminus', 57.488147, 57.488685, -7.342163, -7.341163);
INSERT INTO link_nodes VALUES ('HBR01', 'P201', 'stop_harbour_square,harbour_welcome,departing_chime', 57.472235, 57.472630, -7.360366, -7.359633);
INSERT INTO link_nodes VALUES ('HBR02', 'P202', 'stop_fish_quay,departing_chime', 57.470996, 57.471355, -7.354332, -7.353665);
INSERT INTO link_nodes VALUES ('HBR03', 'P203', 'departing_chime', 57.471912, 57.472235, -7.348464, -7.347864);
INSERT INTO link_nodes VALUES ('HBR04', 'P204', 'harbour_view,departing_chime', 57.475145, 57.475468, -7.346797, -7.346197);
INSERT INTO link_nodes VALUES ('HBR05', 'P205', 'harbour_view,stop_cliff_top,departing_chime', 57.476833, 57.477192, -7.351998, -7.351331);
INSERT INTO link_nodes VALUES ('HBR06', 'P206', 'departing_chime', 57.475594, 57.475917, -7.357799, -7.357199);
INSERT INTO link_nodes VALUES ('HBR07', 'P207', 'stop_harbour_square,departing_chime', 57.472765, 57.473088, -7.358882, -7.358282);
INSERT INTO link_nodes VALUES ('HRT01', 'P301', 'sight_castle', 57.484061, 57.484510, -7.380419, -7.379586);
INSERT INTO link_nodes VALUES ('HRT02', 'P302', 'sight_gaol', 57.485543, 57.485902, -7.375335, -7.374668);
INSERT INTO link_nodes VALUES ('HRT03', 'P303', 'sight_museum,quiet_zone', 57.484285, 57.484645, -7.370334, -7.369667);
INSERT INTO link_nodes VALUES ('HRT04', 'P304', 'sight_abbey', 57.481520, 57.482023, -7.373301, -7.372368);
INSERT INTO link_nodes VALUES ('HRT05', 'P305', 'sight_guildhall', 57.481071, 57.481394, -7.366300, -7.365700);
INSERT INTO link_nodes VALUES ('HRT06', 'P306', 'sight_weavers', 57.481951, 57.482310, -7.384503, -7.383836);
INSERT INTO link_nodes VALUES ('SCH01', 'P401', 'stop_northfield', 57.489655, 57.490050, -7.368701, -7.367967);
INSERT INTO link_nodes VALUES ('SCH02', 'P402', '', 57.485920, 57.486243, -7.363633, -7.363033);
INSERT INTO link_nodes VALUES ('SCH03', 'P403', 'stop_academy,terminus', 57.479167, 57.479706, -7.353498, -7.352498);
INSERT INTO link_nodes VALUES ('NJP01', 'P901', 'depot_zone', 57.467674, 57.468213, -7.394671, -7.393671);
INSERT INTO link_nodes VALUES ('NJP02', 'P902', 'keep_clear', 57.473151, 57.473510, -7.369501, -7.368834);
INSERT INTO link_nodes VALUES ('NJP03', 'P903', 'tourist_info', 57.477147, 57.477416, -7.362750, -7.362250);
INSERT INTO link_nodes VALUES ('NJP04', 'P904', 'sight_lighthouse', 57.469200, 57.469739, -7.341330, -7.340330);

-- Point coordinates; LAT/lat/Lat and LONG/long/Long are all accepted.
INSERT INTO attributes VALUES ('P101', 'LAT', '57.469919'), ('P101', 'LONG', '-7.390004'), ('P101', 'NAME', 'Railway Station');
INSERT INTO attributes VALUES ('P102', 'LAT', '57.471535'), ('P102', 'LONG', '-7.384003'), ('P102', 'NAME', 'Mill Lane');
INSERT INTO attributes VALUES ('P103', 'lat', '57.474139'), ('P103', 'long', '-7.378335'), ('P103', 'NAME', 'St Anne''s Church');
INSERT INTO attributes VALUES ('P104', 'LAT', '57.476653'), ('P104', 'LONG', '-7.372001'), ('P104', 'NAME', 'Market Square');
INSERT INTO attributes VALUES ('P105', 'Lat', '57.478449'), ('P105', 'Long', '-7.366000'), ('P105', 'NAME', 'Town Hall');
INSERT INTO attributes VALUES ('P106', 'LAT', '57.480424'), ('P106', 'LONG', '-7.359499'), ('P106', 'NAME', 'Library');
INSERT INTO attributes VALUES ('P107', 'lat', '57.483028'), ('P107', 'LONG', '-7.353498'), ('P107', 'NAME', 'Park Gates');
INSERT INTO attributes VALUES ('P108', 'LAT', '57.485543'), ('P108', 'LONG', '-7.347497'), ('P108', 'NAME', 'College');
INSERT INTO attributes VALUES ('P109', 'LAT', '57.488416'), ('P109', 'LONG', '-7.341663'), ('P109', 'NAME', 'Hospital');
INSERT INTO attributes VALUES ('P201', 'LAT', '57.472433'), ('P201', 'LONG', '-7.359999'), ('P201', 'NAME', 'Harbour Square');
INSERT INTO attributes VALUES ('P202', 'lat', '57.471176'), ('P202', 'long', '-7.353998'), ('P202', 'NAME', 'Fish Quay');
INSERT INTO attributes VALUES ('P203', 'LAT', '57.472074'), ('P203', 'LONG', '-7.348164'), ('P203', 'NAME', 'Lifeboat Station');
INSERT INTO attributes VALUES ('P204', 'LAT', '57.475306'), ('P204', 'LONG', '-7.346497'), ('P204', 'NAME', 'Beach Road');
INSERT INTO attributes VALUES ('P205', 'Lat', '57.477012'), ('P205', 'Long', '-7.351665'), ('P205', 'NAME', 'Cliff Top');
INSERT INTO attributes VALUES ('P206', 'LAT', '57.475755'), ('P206', 'LONG', '-7.357499'), ('P206', 'NAME', 'Chapel Street');
INSERT INTO attributes VALUES ('P207', 'LAT', '57.472927'), ('P207', 'LONG', '-7.358582'), ('P207', 'NAME', 'Harbour Square East');
INSERT INTO attributes VALUES ('P301', 'LAT', '57.484285'), ('P301', 'LONG', '-7.380002'), ('P301', 'NAME', 'Castle Keep');
INSERT INTO attributes VALUES ('P302', 'LAT', '57.485722'), ('P302', 'LONG', '-7.375002'), ('P302', 'NAME', 'Old Gaol');
INSERT INTO attributes VALUES ('P303', 'lat', '57.484465'), ('P303', 'long', '-7.370001'), ('P303', 'NAME', 'Museum');
INSERT INTO attributes VALUES ('P304', 'LAT', '57.481771'), ('P304', 'LONG', '-7.372835'), ('P304', 'NAME', 'Abbey Ruins');
INSERT INTO attributes VALUES ('P305', 'LAT', '57.481233'), ('P305', 'LONG', '-7.366000'), ('P305', 'NAME', 'Guildhall');
INSERT INTO attributes VALUES ('P306', 'Lat', '57.482130'), ('P306', 'Long', '-7.384170'), ('P306', 'NAME', 'Weavers'' Cottages');
INSERT INTO attributes VALUES ('P401', 'LAT', '57.489853'), ('P401', 'LONG', '-7.368334'), ('P401', 'NAME', 'Northfield Estate');
INSERT INTO attributes VALUES ('P402', 'lat', '57.486081'), ('P402', 'long', '-7.363333'), ('P402', 'NAME', 'Orchard Road');
INSERT INTO attributes VALUES ('P403', 'LAT', '57.479437'), ('P403', 'LONG', '-7.352998'), ('P403', 'NAME', 'Wrenmouth Academy');
INSERT INTO attributes VALUES ('P901', 'lat', '57.467943'), ('P901', 'long', '-7.394171'), ('P901', 'NAME', 'Bus Depot');
INSERT INTO attributes VALUES ('P902', 'LAT', '57.473331'), ('P902', 'LONG', '-7.369167'), ('P902', 'NAME', 'Fire Station');
INSERT INTO attributes VALUES ('P903', 'LAT', '57.477282'), ('P903', 'LONG', '-7.362500'), ('P903', 'NAME', 'Tourist Information');
INSERT INTO attributes VALUES ('P904', 'Lat', '57.469470'), ('P904', 'Long', '-7.340830'), ('P904', 'NAME', 'Lighthouse');

-- Journey flags: only the value '1' is true.
INSERT INTO attributes VALUES ('HARBOUR', 'IsCircular', '1');
INSERT INTO attributes VALUES ('HERITAGE', 'IsRandom', '1');
INSERT INTO attributes VALUES ('SCHOOL', 'IsCircular', '0');
INSERT INTO attributes VALUES ('MARKET', 'NAME', 'Market Line');
INSERT INTO attributes VALUES ('HARBOUR', 'NAME', 'Harbour Loop');
INSERT INTO attributes VALUES ('HERITAGE', 'NAME', 'Heritage Tour');
INSERT INTO attributes VALUES ('SCHOOL', 'NAME', 'School Special');

CREATE INDEX attributes_id_symbol ON attributes(id, symbol);
CREATE INDEX journey_links_journey ON Journey_links(JOURNEY_ID);
