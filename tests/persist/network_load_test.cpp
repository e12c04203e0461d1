#include "persist/persist_fixture.h"

#include <pathweave/cue.h>
#include <pathweave/journey.h>

#include <cmath>

namespace {

using pw::CJourney;
using pwtest::schemaSql;
using pwtest::Texts;

// Three journeys and the non-journey points, loaded the way a host loads them.
const std::string network = R"sql(
INSERT INTO cues VALUES ('welcome', 'JOURNEY_ENTRY_TRANSITION', 'welcome.wav'),
  ('goodbye', 'JOURNEY_EXIT_TRANSITION', ''), ('stop', 'LINK_ENTRY_TRANSITION', 'stop.wav,2'),
  ('chime', 'SIMPLE', ''), ('gap', 'GLOBAL', '');
INSERT INTO journeys VALUES ('north', 'welcome', 'stop', 'welcome,goodbye', 1),
  ('south', '', 'stop', '', 1), ('loop', '', '', 'chime', 1), ('hidden', '', '', '', 0);
INSERT INTO Journey_links VALUES ('north', 'n1'), ('north', 'n2'), ('south', 's1'), ('loop', 'l1'),
  ('loop', 'l2'), ('loop', 'l3'), ('points', 'p1');
INSERT INTO links VALUES ('n1', 'A', 'B', 100.5), ('n2', 'B', 'C', 200),
  ('s1', 'C', 'A', 50), ('l1', 'X', 'Y', 1), ('l2', 'Y', 'Z', 2), ('l3', 'Z', 'X', 3), ('p1', 'Q', 'R', 0);
INSERT INTO link_nodes VALUES
  ('A', 'PA', 'chime', 51.0, 51.1, -0.2, -0.1), ('B', 'PB', 'stop,chime', 52.0, 52.1, -1.2, -1.1),
  ('C', 'PC', '', 53.0, 53.0, 0, 1), ('X', 'PX', '', 0, 0, 0, 0), ('Y', 'PY', '', 0, 0, 0, 0),
  ('Z', 'PZ', '', 0, 0, 0, 0), ('Q', 'PQ', 'gap', 1, 2, 3, 4), ('R', 'PR', '', 0, 0, 0, 0);
INSERT INTO attributes VALUES ('PA', 'LAT', '51.05'), ('PA', 'LONG', '-0.15'), ('PB', 'lat', '52.05'),
  ('PB', 'Long', '-1.15'), ('PQ', 'LAT', '1.5'), ('PQ', 'LONG', '3.5'), ('loop', 'IsCircular', '1');
)sql";

class NetworkLoad : public pwtest::PersistTest {
protected:
    struct Expected {
        std::string id;
        double latitude;
        double longitude;
        double distance;
        Texts cues;
        const pw::CCue* transitionCue;
        bool valid;
        double box[4]; // latMin, longMin, latMax, longMax
    };

    static void expectNodes(const CJourney& journey, const std::vector<Expected>& expected) {
        ASSERT_EQ(journey.linkNodes.size(), expected.size()) << journey.id;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const pw::CLinkNode& node = journey.linkNodes[i];
            const Expected& want = expected[i];
            SCOPED_TRACE(journey.id + " node " + std::to_string(i));
            EXPECT_EQ(node.id, want.id);
            EXPECT_EQ(node.point.latitude, want.latitude);
            EXPECT_EQ(node.point.longitude, want.longitude);
            EXPECT_EQ(node.distance, want.distance);
            Texts names;
            for (const auto& element : node.cues.cues) {
                names.push_back(element.first);
                EXPECT_FALSE(element.second.state);
            }
            EXPECT_EQ(names, want.cues);
            EXPECT_EQ(node.transitionCue, want.transitionCue);
            EXPECT_EQ(node.nodeState, 0);
            EXPECT_EQ(node.bounds.valid, want.valid);
            EXPECT_EQ(node.bounds.latMin, want.box[0]);
            EXPECT_EQ(node.bounds.longMin, want.box[1]);
            EXPECT_EQ(node.bounds.latMax, want.box[2]);
            EXPECT_EQ(node.bounds.longMax, want.box[3]);
        }
    }
};

TEST_F(NetworkLoad, loadsEveryJourneyAndEveryLinkNodeField) {
    open(schemaSql() + network);
    pw::CCueCollection catalogue;
    pw::CJourneyCollection collection;
    persist->ReadCCueCollection(&catalogue);
    persist->ReadCJourneyCollection(&collection, catalogue, "points", "");
    for (auto journey = collection.journeys.begin() + collection.nonJourneyPointsCount;
         journey != collection.journeys.end(); ++journey) {
        persist->ReadCJourney(&*journey, catalogue);
    }

    const pw::CCue* stop = catalogue.find("stop");
    ASSERT_EQ(collection.journeys.size(), 4u);
    EXPECT_EQ(collection.nonJourneyPointsCount, 1u);

    const CJourney& points = collection.journeys[0];
    EXPECT_EQ(points.id, "points");
    expectNodes(points, {{"ROOT", 0, 0, 0, {}, nullptr, false, {0, 0, 0, 0}},
                         {"Q", 1.5, 3.5, 0, {"gap"}, nullptr, true, {1, 3, 2, 4}},
                         {"R", 0, 0, 0, {}, nullptr, false, {0, 0, 0, 0}}});

    const CJourney& north = collection.journeys[1];
    EXPECT_EQ(north.id, "north");
    EXPECT_EQ(north.entryCue, catalogue.find("welcome"));
    EXPECT_EQ(north.exitCue, catalogue.find("goodbye"));
    EXPECT_EQ(north.linkTransitionCue, stop);
    EXPECT_EQ(north.order, CJourney::Standard);
    EXPECT_TRUE(north.linkDistances);
    expectNodes(north, {{"ROOT", 0, 0, 0, {}, stop, false, {0, 0, 0, 0}},
                        {"A", 51.05, -0.15, 0, {"chime"}, stop, true, {51.0, -0.2, 51.1, -0.1}},
                        {"B", 52.05, -1.15, 100.5, {"chime", "stop"}, stop, true, {52.0, -1.2, 52.1, -1.1}},
                        {"C", 0, 0, 300.5, {}, stop, false, {53.0, 0, 53.0, 1}}});

    const CJourney& south = collection.journeys[2];
    EXPECT_EQ(south.entryCue, nullptr);
    expectNodes(south, {{"ROOT", 0, 0, 0, {}, stop, false, {0, 0, 0, 0}},
                        {"C", 0, 0, 0, {}, stop, false, {53.0, 0, 53.0, 1}},
                        {"A", 51.05, -0.15, 50, {"chime"}, stop, true, {51.0, -0.2, 51.1, -0.1}}});

    const CJourney& loop = collection.journeys[3];
    EXPECT_EQ(loop.order, CJourney::Circular);
    expectNodes(loop, {{"ROOT", 0, 0, 0, {}, nullptr, false, {0, 0, 0, 0}}});

    for (const CJourney& journey : collection.journeys) {
        EXPECT_EQ(journey.current, journey.linkNodes.begin()) << journey.id;
    }
}

TEST_F(NetworkLoad, readsIdsWithQuotesCommasAndNonAsciiBytesExactly) {
    open(schemaSql() + R"sql(
INSERT INTO cues VALUES ('it''s', 'SIMPLE', 'a''b,c'), ('Caf' || char(233), 'LINK_ENTRY_TRANSITION', '');
INSERT INTO journeys VALUES ('O''Hare, T1', '', 'Caf' || char(233), 'it''s', 1);
INSERT INTO Journey_links VALUES ('O''Hare, T1', 'L''1');
INSERT INTO links VALUES ('L''1', 'n''1', 'n,2', 7);
INSERT INTO link_nodes VALUES ('n''1', 'p''1', 'it''s,Caf' || char(233), 0, 1, 0, 1),
  ('n,2', CAST(x'70ff' AS TEXT), '', 0, 0, 0, 0);
INSERT INTO attributes VALUES ('p''1', 'LAT', '9.5'), (CAST(x'70ff' AS TEXT), 'LONG', '8.25'),
  ('O''Hare, T1', 'IsRandom', '1');
)sql");
    pw::CCueCollection catalogue;
    pw::CJourneyCollection collection;
    persist->ReadCCueCollection(&catalogue);
    persist->ReadCJourneyCollection(&collection, catalogue, "", "O'Hare, T1");
    ASSERT_EQ(collection.journeys.size(), 1u);
    CJourney& journey = collection.journeys[0];
    EXPECT_EQ(journey.id, "O'Hare, T1");
    const pw::CCue* cafe = catalogue.find("Caf\xc3\xa9");
    ASSERT_NE(cafe, nullptr);
    EXPECT_EQ(journey.linkTransitionCue, cafe);
    EXPECT_EQ(catalogue.find("it's")->arguments, (Texts{"a'b", "c"}));

    persist->ReadCJourney(&journey, catalogue);
    ASSERT_EQ(journey.linkNodes.size(), 3u);
    EXPECT_EQ(journey.linkNodes[1].id, "n'1");
    EXPECT_EQ(journey.linkNodes[1].point.latitude, 9.5);
    EXPECT_EQ(journey.linkNodes[1].transitionCue, cafe);
    EXPECT_EQ(journey.linkNodes[1].cues.cues.size(), 2u);
    EXPECT_EQ(journey.linkNodes[2].id, "n,2");
    EXPECT_EQ(journey.linkNodes[2].point.longitude, 8.25);
    EXPECT_EQ(journey.linkNodes[2].distance, 7.0);
    EXPECT_EQ(journey.order, CJourney::Random);
}

} // namespace
