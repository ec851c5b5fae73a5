#pragma once

#include <QString>
#include <functional>

class Desktop;
class TNMHTTP;
struct ProgramState;

// "Check Version #...": downloads the version file from the maker's web host with the client,
// shows whether a newer version is published than built_in, then hands "Thank you for using
// Nimbrix..." to status (the main window's first panel) and clears request_ok. A failure of
// the client itself ends the command with its error.
void check_version(ProgramState& state, Desktop& desktop, TNMHTTP& client,
                   const std::function<void(const QString&)>& status, const QString& built_in);
