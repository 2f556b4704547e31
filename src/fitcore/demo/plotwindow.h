#pragma once
// A chart window of the data (scatter "Original Data") and the fitted values
// (line "Fitted Curve") with a legend; show_plot() blocks until it is closed.
#include <vector>

namespace demo {

// Shows the plot and returns when the window is closed. When the
// environment names TRELVO_DEMO_CLOSE_MS, the window closes itself after
// that many milliseconds (for runs without a person).
void show_plot(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& fitted);

}  // namespace demo
