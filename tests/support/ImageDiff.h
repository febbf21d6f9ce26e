#pragma once

#include <QImage>
#include <gtest/gtest.h>
#include <string>

namespace umbrix::test {

// Passes when the two images are the same pixel for pixel.  A failure says
// which rows differ and between which columns, and writes both images and a
// map of the differences as PNGs beside the test log (UMBRIX_TEST_LOG_DIR,
// set by the build; else the current folder), named after `name`.
::testing::AssertionResult sameImage(const QImage& actual, const QImage& expected,
                                     const std::string& name);

} // namespace umbrix::test
