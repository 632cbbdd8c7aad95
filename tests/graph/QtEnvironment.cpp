// One QApplication around all widget tests, registered before GoogleTest's own main runs them.
#include <gtest/gtest.h>

#include "tests/graph/GraphTestSupport.h"

namespace {
[[maybe_unused]] ::testing::Environment* const kQt =
    ::testing::AddGlobalTestEnvironment(new lyra::graphtest::QtEnvironment);
}  // namespace
