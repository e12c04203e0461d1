#include "persist/persist_fixture.h"

#include <cmath>

namespace {

using pwtest::schemaSql;
using pwtest::Texts;
namespace without = pwtest::without;

class Attributes : public pwtest::PersistTest {
protected:
    Texts latitudeOrder() const {
        return {pw::CPersist::latitudeSymbols[0], pw::CPersist::latitudeSymbols[1],
                pw::CPersist::latitudeSymbols[2]};
    }
};

std::string lookup(const std::string& id, const std::string& symbol) {
    return "select value from attributes where id = '" + id + "' and symbol='" + symbol + "';";
}

TEST_F(Attributes, movesTheSymbolFoundToTheFrontOfItsList) {
    open(schemaSql() + "INSERT INTO attributes VALUES ('P1', 'lat', '51.5');"
                       "INSERT INTO attributes VALUES ('P2', 'lat', '52.25');"
                       "INSERT INTO attributes VALUES ('P3', 'Lat', '-3');");

    EXPECT_EQ(persist->getPointLatitude("P1"), 51.5);
    EXPECT_EQ(statements(), (Texts{lookup("P1", "LAT"), lookup("P1", "lat")}));
    EXPECT_EQ(latitudeOrder(), (Texts{"lat", "LAT", "Lat"}));

    statementLog->clear();
    EXPECT_EQ(persist->getPointLatitude("P2"), 52.25);
    EXPECT_EQ(statements(), (Texts{lookup("P2", "lat")}));

    statementLog->clear();
    EXPECT_EQ(persist->getPointLatitude("P3"), -3.0);
    EXPECT_EQ(statements(), (Texts{lookup("P3", "lat"), lookup("P3", "LAT"), lookup("P3", "Lat")}));
    EXPECT_EQ(latitudeOrder(), (Texts{"Lat", "LAT", "lat"}));

    statementLog->clear();
    EXPECT_EQ(persist->getPointLatitude("P4"), 0.0);
    EXPECT_EQ(statements().size(), 3u);
    EXPECT_EQ(latitudeOrder(), (Texts{"Lat", "LAT", "lat"})) << "a point without latitude keeps the order";
}

TEST_F(Attributes, readsLongitudesThroughTheirOwnList) {
    open(schemaSql() + "INSERT INTO attributes VALUES ('P1', 'Long', '-0.125');");
    EXPECT_EQ(persist->getPointLongitude("P1"), -0.125);
    EXPECT_EQ(pw::CPersist::longitudeSymbols[0], std::string("Long"));
    EXPECT_EQ(pw::CPersist::longitudeSymbols[2], std::string("LONG"));
    EXPECT_EQ(pw::CPersist::latitudeSymbols[0], std::string("LAT"));
}

TEST_F(Attributes, readsNumbersAsAtofDoes) {
    open(schemaSql() + "INSERT INTO attributes VALUES ('P', 'a', '12.5');"
                       "INSERT INTO attributes VALUES ('P', 'b', '  12.5 km');"
                       "INSERT INTO attributes VALUES ('P', 'c', 'abc');"
                       "INSERT INTO attributes VALUES ('P', 'd', NULL);"
                       "INSERT INTO attributes VALUES ('P', 'e', '1e3');"
                       "INSERT INTO attributes VALUES ('P', 'f', '7');"
                       "INSERT INTO attributes VALUES ('P', 'f', '8');"
                       "INSERT INTO attributes VALUES ('', 'g', '4');");
    using Number = std::pair<double, bool>;
    EXPECT_EQ(persist->getAttrAsDouble("P", "a"), (Number{12.5, true}));
    EXPECT_EQ(persist->getAttrAsDouble("P", "b"), (Number{12.5, true}));
    EXPECT_EQ(persist->getAttrAsDouble("P", "c"), (Number{0.0, true}));
    EXPECT_EQ(persist->getAttrAsDouble("P", "d"), (Number{0.0, true}));
    EXPECT_EQ(persist->getAttrAsDouble("P", "e"), (Number{1000.0, true}));
    EXPECT_EQ(persist->getAttrAsDouble("P", "f"), (Number{7.0, true})) << "only the first row counts";
    EXPECT_EQ(persist->getAttrAsDouble("P", "x"), (Number{0.0, false}));
    EXPECT_EQ(persist->getAttrAsDouble("", "g"), (Number{4.0, true}));
    EXPECT_EQ(statements().back(), "select value from attributes where id = '' and symbol='g';");
}

TEST_F(Attributes, readsAFlagOnlyFromTheTextOne) {
    open(schemaSql() + "INSERT INTO attributes VALUES ('J', 'one', '1');"
                       "INSERT INTO attributes VALUES ('J', 'zero', '0');"
                       "INSERT INTO attributes VALUES ('J', 'true', 'true');"
                       "INSERT INTO attributes VALUES ('J', 'yes', 'yes');"
                       "INSERT INTO attributes VALUES ('J', 'padded', '01');"
                       "INSERT INTO attributes VALUES ('J', 'real', '1.0');"
                       "INSERT INTO attributes VALUES ('J', 'empty', '');"
                       "INSERT INTO attributes VALUES ('J', 'number', 1);");
    using Flag = std::pair<bool, bool>;
    EXPECT_EQ(persist->getAttrAsBool("J", "one"), (Flag{true, true}));
    EXPECT_EQ(persist->getAttrAsBool("J", "number"), (Flag{true, true}));
    for (const char* symbol : {"zero", "true", "yes", "padded", "real", "empty"}) {
        EXPECT_EQ(persist->getAttrAsBool("J", symbol), (Flag{false, true})) << symbol;
    }
    EXPECT_EQ(persist->getAttrAsBool("J", "missing"), (Flag{false, false}));
}

TEST_F(Attributes, findNothingWithoutTheTable) {
    open(schemaSql(without::Attributes));
    EXPECT_EQ(persist->getAttrAsDouble("P", "LAT"), (std::pair<double, bool>{0.0, false}));
    EXPECT_EQ(persist->getAttrAsBool("J", "IsRandom"), (std::pair<bool, bool>{false, false}));
    EXPECT_EQ(persist->getPointLatitude("P"), 0.0);
    EXPECT_TRUE(lines().empty());
}

TEST_F(Attributes, emptyListFindsNothing) {
    open(schemaSql());
    const char* empty[] = {nullptr};
    EXPECT_EQ(persist->getAttrAsDoubleFromList("P", empty), (std::pair<double, bool>{0.0, false}));
    EXPECT_TRUE(statements().empty());
}

TEST_F(Attributes, idsAndSymbolsWithQuotesReadExactly) {
    open(schemaSql() + "INSERT INTO attributes VALUES ('it''s', 'o''clock', '3');"
                       "INSERT INTO attributes VALUES ('x', 'y', '9');");
    EXPECT_EQ(persist->getAttrAsDouble("it's", "o'clock"), (std::pair<double, bool>{3.0, true}));
    EXPECT_EQ(statements().back(), "select value from attributes where id = 'it''s' and symbol='o''clock';");
    EXPECT_EQ(persist->getAttrAsDouble("x' OR '1'='1", "y").second, false);
}

} // namespace
