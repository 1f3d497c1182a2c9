#include "app/screen.h"

namespace kestrum {

Screen makeDesignScreen() { return Screen{}; }

} // namespace kestrum
