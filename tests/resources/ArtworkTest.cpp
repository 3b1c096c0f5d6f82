#include <gtest/gtest.h>
TEST(Artwork, Placeholder) {}
