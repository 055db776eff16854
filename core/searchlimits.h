#pragma once

// The most records one multicast search keeps. Far above any real site, and low enough
// that a flood of plausible replies (a spoofer, a broadcast storm) cannot turn into tens of
// thousands of table rows and HTTP requests: replies beyond it are read and dropped. The
// device view shows a notice when a published list holds this many records.
constexpr int SEARCH_MAX_RECORDS = 4096;

// How long one multicast search listens for replies after sending its request; the device
// view tells the user so while it waits.
constexpr int SEARCH_WINDOW_MS = 2000;
