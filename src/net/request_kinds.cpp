#include "net/request_kinds.h"

#include "net/nmhttp.h"

namespace {

constexpr int keep = -1;
constexpr const char* referer = "Nimbrix by Corvalen";

// clang-format off
constexpr RequestSettings request_table[] = {
    // kind                            TimeOut  input  output  level  Referer
    {RequestKind::Idle,                 90000,  keep,  keep,   2,     nullptr},
    {RequestKind::Conditions,           60000,  0,     0,      4,     referer},
    {RequestKind::ChosenConditions,     60000,  0,     0,      2,     referer},
    {RequestKind::UsagePing,            12000,  0,     0,      0,     referer},
    {RequestKind::Image,                90000,  1,     0,      16,    referer},
    // Text products carry the level and Referer the last request left.
    {RequestKind::TextProduct,          60000,  0,     0,      keep,  nullptr},
    {RequestKind::ForecastLink,         60000,  0,     0,      keep,  "Nimbrix by Corvalen - html forecast link"},
    {RequestKind::VersionCheck,         60000,  0,     0,      2,     referer},
    // No status events: the check runs unseen.
    {RequestKind::WarningWatch,         30000,  0,     0,      0,     referer},
};
// clang-format on

} // namespace

const RequestSettings& request_settings(RequestKind kind) {
    for (const RequestSettings& row : request_table)
        if (row.kind == kind)
            return row;
    return request_table[0];
}

void apply_request_kind(TNMHTTP& http, RequestKind kind) {
    const RequestSettings& row = request_settings(kind);
    if (row.time_out >= 0)
        http.TimeOut = row.time_out;
    if (row.input_file_mode >= 0)
        http.InputFileMode = row.input_file_mode != 0;
    if (row.output_file_mode >= 0)
        http.OutputFileMode = row.output_file_mode != 0;
    if (row.report_level >= 0)
        http.ReportLevel = row.report_level;
    if (row.referer)
        http.HeaderInfo.Referer = QLatin1String(row.referer);
}
