#pragma once

#include "String.h"

constexpr char SwitchActivate[] = "/iw";
constexpr char SwitchWebPage[] = "/wb";

// The first command-line argument, read once when the program starts.
extern ProcessString FirstParam;

// Runs the job whose switch the first three characters of firstParam name,
// if any.
void DispatchSwitch(const StringCore& firstParam);

// The whole program: reads the first argument, runs at most one job and
// ends the process.
void RunCompanion();
