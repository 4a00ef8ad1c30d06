#pragma once

#include <gtest/gtest.h>

//! A gtest program's exit code for CTest: 77 ("skipped", SKIP_RETURN_CODE) when a case
//! skipped and none failed, so a run that could not test something never reads as passed.
inline int TestResult(int runAllTestsResult)
{
    const ::testing::UnitTest& run = *::testing::UnitTest::GetInstance();
    if (runAllTestsResult == 0 && run.skipped_test_count() > 0 && run.failed_test_count() == 0)
        return 77;
    return runAllTestsResult;
}
