#pragma once

// The Windows-1252 decoder and encoder live in src/shared, below every subsystem that reads
// pages or files; this name stays for the code that still includes it from here.
#include "shared/page_text.h"
