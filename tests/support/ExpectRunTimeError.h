#pragma once

#include <gtest/gtest.h>

#include "platform/RunTimeError.h"

// Checks that the statement raises our run-time error with exactly this
// number, source and description (a description of "" is not checked). The
// parameters are not named after the error's accessors, which the macro
// calls by name.
#define EXPECT_RUNTIME_ERROR(statement, expectedNumber, expectedSource, expectedDescription) \
  do {                                                                                       \
    try {                                                                                    \
      statement;                                                                             \
      ADD_FAILURE() << "no run-time error from: " #statement;                                \
    } catch (const platform::RunTimeError& runTimeError) {                                   \
      EXPECT_EQ(runTimeError.number(), (expectedNumber)) << runTimeError.description();      \
      EXPECT_EQ(runTimeError.source(), (expectedSource));                                    \
      if (!std::string(expectedDescription).empty()) {                                       \
        EXPECT_EQ(runTimeError.description(), (expectedDescription));                        \
      }                                                                                      \
    }                                                                                        \
  } while (false)
