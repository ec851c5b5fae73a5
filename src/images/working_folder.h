#pragma once

#include <QString>

// The program's working folder, where downloaded images and the working wallpaper bitmap
// live: the per-user cache folder, created readable by its owner only. Never the process's
// current directory, which may hold the user's own files of the same names.
QString image_working_folder();

// A bare file name within the working folder (the folder is created when missing).
QString image_working_file(const QString& name);
