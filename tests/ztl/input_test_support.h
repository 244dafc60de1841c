// Shared fixture of the input and wait tests: a fresh library with an empty
// queue, and every pen area the test attached freed again afterwards.
#pragma once

#include <vector>

#include "input_internal.h"
#include "ztl_test_support.h"

class InputTest : public ZtlTest {
protected:
    void SetUp() override {
        ZtlTest::SetUp();
        while (ztl_get_key(0) != -1) {
        }
    }
    void TearDown() override {
        while (ztl_root_area->first_child != nullptr) ztl_area_remove(ztl_root_area->first_child, 1);
        ZtlTest::TearDown();
    }

    // Every code that is queued now, in order.
    static std::vector<int> drain() {
        std::vector<int> codes;
        for (int code = ztl_get_key(0); code != -1; code = ztl_get_key(0)) codes.push_back(code);
        return codes;
    }
};
