#include "net/nmhttp.h"
#include "net/request_kinds.h"

#include <gtest/gtest.h>

// Each kind sets what its row names and leaves the rest as the last request left it.
TEST(RequestKinds, EachKindSetsItsRowAndKeepsWhatItLeavesAlone) {
    TNMHTTP http(nullptr);
    const struct {
        RequestKind kind;
        int time_out;
        bool input_file_mode;
        int report_level;
        const char* referer;
    } steps[] = {
        {RequestKind::Image, 90000, true, 16, "Nimbrix by Corvalen"},
        {RequestKind::TextProduct, 60000, false, 16, "Nimbrix by Corvalen"},
        {RequestKind::ForecastLink, 60000, false, 16, "Nimbrix by Corvalen - html forecast link"},
        {RequestKind::TextProduct, 60000, false, 16, "Nimbrix by Corvalen - html forecast link"},
        {RequestKind::Image, 90000, true, 16, "Nimbrix by Corvalen"},
        {RequestKind::Idle, 90000, true, 2, "Nimbrix by Corvalen"},
        {RequestKind::UsagePing, 12000, false, 0, "Nimbrix by Corvalen"},
        {RequestKind::VersionCheck, 60000, false, 2, "Nimbrix by Corvalen"},
        {RequestKind::Conditions, 60000, false, 4, "Nimbrix by Corvalen"},
        {RequestKind::ChosenConditions, 60000, false, 2, "Nimbrix by Corvalen"},
    };
    int n = 0;
    for (const auto& step : steps) {
        apply_request_kind(http, step.kind);
        EXPECT_EQ(http.TimeOut, step.time_out) << n;
        EXPECT_EQ(http.InputFileMode, step.input_file_mode) << n;
        EXPECT_FALSE(http.OutputFileMode) << n;
        EXPECT_EQ(http.ReportLevel, step.report_level) << n;
        EXPECT_EQ(http.HeaderInfo.Referer, QLatin1String(step.referer)) << n;
        ++n;
    }
}
