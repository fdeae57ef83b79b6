// The program's reading sequence on the command line, shared by "read" and
// "read --out"; each command puts its own steps (erase, save) in between.
#pragma once

#include "device/tester_link.h"
#include "report/report_model.h"

// Opens the tester and requests the measurement block. False, after the
// program's message, when no tester answers, the request fails or every
// slot is empty.
bool ReadTesterMeasures(TesterLink& link, MeasurementBlock& block);

// Device information, sensor data and operating status, in the program's
// order. A failed request only warns and leaves its block as it was.
void ReadTesterDetails(TesterLink& link, MeasurementReport& report);
