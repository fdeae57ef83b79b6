// Pieces of the printed page's data that the main window and the command
// line gather alike.
#pragma once

#include "print/report_page.h"

#include <QSize>

class BarChart;
struct CompanyDetails;
struct PrintedTexts;

// Every chart picture is rendered at this size, whatever the chart's size
// on screen.
inline constexpr QSize ReportChartPictureSize(600, 250);

// The workshop's company details, converted from their Windows-1252 bytes.
void SetCompanyDetails(ReportPageData& data, const CompanyDetails& company);

// The printed report table, "Cyl. no." and the chart captions.
void SetPrintedTexts(ReportPageData& data, const PrintedTexts& texts);

// Both chart pictures rendered at ReportChartPictureSize.
void SetChartPictures(ReportPageData& data, const BarChart& komp, const BarChart& leak);
