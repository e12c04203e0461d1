// Networks at the far end of what a database can hold: cue lists of a hundred thousand names,
// argument texts of ten megabytes, a hundred thousand journeys. The loads must finish (nothing
// quadratic) and give every element. The bounds checked are sizes, never times.

#include "robustness/extremes_support.h"
#include "support/log_capture.h"

#include <string>
#include <vector>

namespace {

using pwtest::AllocationCounter;
using pwtest::Extremes;
using pwtest::numbers;

constexpr std::size_t manyCues = 100000;

TEST_F(Extremes, cueListsOfAHundredThousandNamesAreResolvedInFull) {
    open(numbers(manyCues) + R"sql(
INSERT INTO cues SELECT 'cue' || i, CASE WHEN i % 10 = 0 THEN 'GLOBAL' ELSE 'ENTER_TRANSITION' END, 'a' FROM n;
INSERT INTO journeys SELECT 'long', '', '', group_concat('cue' || i, ','), 1 FROM n;
INSERT INTO Journey_links VALUES ('long', 'L');
INSERT INTO links VALUES ('L', 'A', 'B', 1);
INSERT INTO link_nodes SELECT 'A', '', group_concat('cue' || i, ','), 0, 0, 0, 0 FROM n;
INSERT INTO link_nodes SELECT 'B', '', group_concat('unknown' || i, ','), 0, 0, 0, 0 FROM n;
)sql");
    pwtest::LogCapture capture;
    pw::CCueCollection catalogue;
    pw::CJourneyCollection network;
    const AllocationCounter allocations;
    persist->ReadCCueCollection(&catalogue);
    persist->ReadCJourneyCollection(&network, catalogue, "", "");
    ASSERT_EQ(network.journeys.size(), 1u);
    pw::CJourney& journey = network.journeys.front();
    persist->ReadCJourney(&journey, catalogue);

    ASSERT_EQ(catalogue.cues.size(), manyCues);
    EXPECT_EQ(journey.cues.cues.size(), manyCues);
    EXPECT_EQ(journey.entryCue, catalogue.find("cue99999"));
    ASSERT_EQ(journey.linkNodes.size(), 3u);
    EXPECT_EQ(journey.linkNodes[1].cues.cues.size(), manyCues);
    EXPECT_EQ(journey.linkNodes[1].transitionCue, catalogue.find("cue99999"));
    EXPECT_TRUE(journey.linkNodes[2].cues.cues.empty());
    EXPECT_EQ(catalogue.toCueSubsetGlobal().cues.size(), manyCues / 10);
    // Every unknown name of node B is logged once.
    std::size_t notFound = 0;
    for (const pwtest::LogLine& line : capture.lines()) {
        notFound += line.level == 8 ? 1 : 0;
    }
    EXPECT_EQ(notFound, manyCues);
    if (allocations.made() != 0) {
        EXPECT_LT(allocations.made(), 64 * 4 * manyCues);
    }
}

TEST_F(Extremes, argumentTextsOfTenMegabytesAreSplitInFull) {
    constexpr std::size_t pieces = 1 << 20; // ten bytes each, "abcdefghi,"
    open("INSERT INTO cues VALUES ('many', 'SIMPLE', replace(hex(zeroblob(" + std::to_string(pieces) +
         ")), '00', 'abcdefghi,')),\n"
         "  ('one', 'SIMPLE', hex(zeroblob(" +
         std::to_string(5 * pieces) + ")));\n");
    pw::CCueCollection catalogue;
    persist->ReadCCueCollection(&catalogue);

    ASSERT_EQ(catalogue.cues.size(), 2u);
    const std::vector<std::string>& many = catalogue.find("many")->arguments;
    ASSERT_EQ(many.size(), pieces + 1);
    EXPECT_EQ(many.front(), "abcdefghi");
    EXPECT_EQ(many[pieces - 1], "abcdefghi");
    EXPECT_EQ(many.back(), "");
    const std::vector<std::string>& one = catalogue.find("one")->arguments;
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one.front(), std::string(10 * pieces, '0'));
}

constexpr std::size_t manyJourneys = 100000;

TEST_F(Extremes, aHundredThousandJourneysWithoutLinksAreListedInOrder) {
    open(numbers(manyJourneys) + "INSERT INTO journeys SELECT 'J' || i, '', '', '', 1 FROM n ORDER BY i;\n");
    pw::CCueCollection catalogue;
    pw::CJourneyCollection network;
    const AllocationCounter allocations;
    persist->ReadCJourneyCollection(&network, catalogue, "", "");

    ASSERT_EQ(network.journeys.size(), manyJourneys);
    for (std::size_t i = 0; i < manyJourneys; ++i) {
        const pw::CJourney& journey = network.journeys[i];
        if (journey.id != "J" + std::to_string(i) || journey.current != journey.linkNodes.begin() ||
            journey.selected != journey.linkNodes.begin()) {
            ADD_FAILURE() << "journey " << i << " is " << journey.id;
            break;
        }
    }
    EXPECT_EQ(network.SetCurrent("J99999"), network.journeys.end() - 1);
    if (allocations.made() != 0) {
        EXPECT_LT(allocations.made(), 64 * manyJourneys);
    }
}

} // namespace
