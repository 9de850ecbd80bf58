#pragma once

#include <gtest/gtest.h>

#include "platform/RunTimeError.h"

// Checks that the statement raises our run-time error with exactly this
// number, source and description (a description of "" is not checked).
#define EXPECT_RUNTIME_ERROR(statement, number, source, description)                      \
  do {                                                                                     \
    try {                                                                                  \
      statement;                                                                           \
      ADD_FAILURE() << "no run-time error from: " #statement;                              \
    } catch (const platform::RunTimeError& runTimeError) {                                 \
      EXPECT_EQ(runTimeError.number(), (number)) << runTimeError.description();            \
      EXPECT_EQ(runTimeError.source(), (source));                                          \
      if (!std::string(description).empty())                                               \
        EXPECT_EQ(runTimeError.description(), (description));                              \
    }                                                                                      \
  } while (false)
