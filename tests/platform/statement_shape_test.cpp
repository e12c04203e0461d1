#include "../platform/csqlite/statement_shape.h"

#include <gtest/gtest.h>

namespace {

using csqlite::shapeOf;
using Literals = std::vector<std::string>;

TEST(shapeOf, takesTheLiteralsOfAWhereClauseOut) {
    const auto lookup = shapeOf("select value from attributes where id = 'P''1' and symbol='LAT';");
    ASSERT_TRUE(lookup);
    EXPECT_EQ(lookup->text, "select value from attributes where id = ? and symbol=?;");
    EXPECT_EQ(lookup->literals, (Literals{"P'1", "LAT"}));

    const auto journey =
        shapeOf("SELECT a,0.0 as b FROM x jl INNER JOIN y on jl.k = y.k WHERE jl.JOURNEY_ID='';");
    ASSERT_TRUE(journey);
    EXPECT_EQ(journey->text, "SELECT a,0.0 as b FROM x jl INNER JOIN y on jl.k = y.k WHERE jl.JOURNEY_ID=?;");
    EXPECT_EQ(journey->literals, (Literals{""}));

    const auto bytes = shapeOf(std::string("select 1 from t WHERE id='\xff, -- /*'"));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->literals, (Literals{"\xff, -- /*"}));
}

TEST(shapeOf, keepsATextWithoutLiteralsAsItIs) {
    for (const char* sql : {"select * from links;", "SELECT x FROM journeys WHERE SELECTABLE=1;",
                            "select count(*) from (select 1) where 1 > 0;"}) {
        const auto shape = shapeOf(sql);
        ASSERT_TRUE(shape) << sql;
        EXPECT_EQ(shape->text, sql);
        EXPECT_TRUE(shape->literals.empty());
    }
}

TEST(shapeOf, refusesWhatBindingMightChange) {
    for (const std::string sql : {
             "select 'a' from t where id = 'b';",              // a literal names a result column
             "select a from t where id = 'b' or id in ('c');", // more than a plain condition
             "select a from t where id = 'b' -- note", "select a from t /* note */ where id = 'b';",
             "select a from t where id = ? and x = 'b';", "select a from t where id = :id and x = 'b';",
             "select \"a\" from t where id = 'b';", "select a from [t] where id = 'b';",
             "select a from t where id = 'unterminated;", "select a from t where id = 'b'; select 1;",
             "select a from t where id = 'b' collate nocase;", // words are fine, this one is too
         }) {
        SCOPED_TRACE(sql);
        if (sql.find("collate") != std::string::npos) {
            EXPECT_TRUE(shapeOf(sql));
        } else {
            EXPECT_FALSE(shapeOf(sql));
        }
    }
    EXPECT_FALSE(shapeOf(std::string("select a from t where id = 'a\0b';", 33)));
    EXPECT_FALSE(shapeOf(std::string("select a from t\0 where id = 'a';", 32)));
}

} // namespace
