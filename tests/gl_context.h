// The GL tests' fixture: the product's headless context, at the window's size and with its projection.
#pragma once

#include "render/headless.h"
#include "render/view.h"

#include <gtest/gtest.h>

class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(openHeadlessGl(gl, kWindowWidth, kWindowHeight, error)) << error;
        glViewport(0, 0, kWindowWidth, kWindowHeight);
        setProjection();
    }
    HeadlessGl gl;
};
