// Splitting scripts into statements.
#include "FIBScript.h"

#include <gtest/gtest.h>

TEST(Script, StatementsSplitOnTheTerminatorOutsideLiteralsAndComments)
{
    const QString script = "CREATE TABLE A (X VARCHAR(5)); -- a comment; still comment\n"
                           "INSERT INTO A VALUES ('a;b');\n"
                           "/* block; comment */ INSERT INTO A VALUES (\"c;\"\"d\");\n"
                           "SET TERM ^ ;\n"
                           "CREATE PROCEDURE P AS BEGIN EXIT; END^\n"
                           "SET TERM ; ^\n"
                           "COMMIT;\n"
                           "  ;  \n";
    const QStringList parts = SplitScript(script);
    ASSERT_EQ(parts.size(), 5);
    EXPECT_EQ(parts[0], "CREATE TABLE A (X VARCHAR(5))");
    EXPECT_EQ(parts[1], "INSERT INTO A VALUES ('a;b')");
    EXPECT_EQ(parts[2], "INSERT INTO A VALUES (\"c;\"\"d\")");
    EXPECT_EQ(parts[3], "CREATE PROCEDURE P AS BEGIN EXIT; END");
    EXPECT_EQ(parts[4], "COMMIT");
}
