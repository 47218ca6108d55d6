// How a run learns that its user asked it to stop.
#pragma once

/// Raised at a run's next yield after a cancel; the run writes what it has and ends.
struct CheckCancelled {};
