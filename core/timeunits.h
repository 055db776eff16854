#pragma once

/// Milliseconds in a second, for timings shown to the user in seconds.
constexpr int MS_PER_SECOND = 1000;
