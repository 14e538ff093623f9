#include <gtest/gtest.h>
TEST(ReportCli, Placeholder) {}
