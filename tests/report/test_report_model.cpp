#include "ReportFormat.h"

#include <gtest/gtest.h>

TEST(ReportFormat, Smoke)
{
    EXPECT_EQ(qdr::formatNumber(4.25, QStringLiteral("#0.00000%")), QStringLiteral("4,25000%"));
}
