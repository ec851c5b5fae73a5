#pragma once

#include <QString>

// The record of the location being fetched and shown; every field is text and empty at start.
struct CurrentLocation {
    QString location_text; // location string of the pending request
    QString city;
    QString state;  // two-letter US code, or the country followed by "(O)"
    QString region; // "US" or a catalogue region
    QString zip;
    QString station;    // foreign station number
    QString state_code; // the state table's answer
    QString place_name; // place text of the last page title
};

// Everything the windows and routines share for one run of the program. The program entry
// creates one and hands it to the windows; a test builds a fresh one. Flag texts are empty
// for off and "Y" or "y" for on.
struct ProgramState {
    CurrentLocation current_location;

    QString request_ok;   // set by the client's success event, cleared before each request
    QString auto_request; // an unattended request (start-up or automatic refresh) is running
    QString remove_mode;  // the next preset click removes that preset
    QString counter_sent; // the usage ping was sent in this run
    QString xcast_code;   // the text product the forecast window serves

    QString request_url;      // URL of the last request built by the driver or an image command
    QString preset_entry;     // entry built by the last add_preset
    QString place_city;       // city part written by split_place_name
    QString chosen_color;     // colour text being applied to the main window's labels
    QString image_file;       // local file of the image being downloaded and shown
    QString image_file_upper; // image_file in upper case
    QString xcast_body;       // body of the last text-product download

    int temperature_f = 999; // last parsed temperature in whole degrees F; 999 when none
};
