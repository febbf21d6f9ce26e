#include "settings/EnvironmentText.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

TEST(EnvironmentTextTest, ExpandsSetVariablesAndKeepsEverythingElse) {
    ::setenv("UMBRIX_TEST_DATA", "/srv/data", 1);
    ::unsetenv("UMBRIX_TEST_UNSET");
    EXPECT_EQ(expandEnvironmentText("%UMBRIX_TEST_DATA%/x"), "/srv/data/x");
    EXPECT_EQ(expandEnvironmentText("${UMBRIX_TEST_DATA}x"), "/srv/datax");
    EXPECT_EQ(expandEnvironmentText("a:%UMBRIX_TEST_DATA%:$UMBRIX_TEST_DATA/"),
              "a:/srv/data:/srv/data/");
    // Nothing is dropped: an unset variable or a stray sign stays as written.
    for (const char* text : {"%UMBRIX_TEST_UNSET%", "$UMBRIX_TEST_UNSET/x", "${UMBRIX_TEST_UNSET}",
                             "100%", "%%", "$", "a$1", "${", "${}", "%UMBRIX_TEST_DATA"})
        EXPECT_EQ(expandEnvironmentText(text), text);
    ::unsetenv("UMBRIX_TEST_DATA");
}

} // namespace
} // namespace umbrix
