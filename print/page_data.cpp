#include "print/page_data.h"

#include "app/main/bar_chart.h"
#include "print/printed_texts.h"
#include "settings/settings_file.h"
#include "text/cp1252.h"

namespace {

QString FromDisk(const std::string& bytes) {
    return QString::fromStdString(Cp1252ToUtf8(bytes));
}

} // namespace

void SetCompanyDetails(ReportPageData& d, const CompanyDetails& c) {
    d.CompanyName = FromDisk(c.Name);
    d.CompanyAddress = FromDisk(c.Address);
    d.CompanyCity = FromDisk(c.City);
    d.CompanyPhone = FromDisk(c.Phone);
    d.CompanyFax = FromDisk(c.Fax);
    d.CompanyEmail = FromDisk(c.Email);
    d.CompanyWebsite = FromDisk(c.Website);
}

void SetPrintedTexts(ReportPageData& d, const PrintedTexts& t) {
    d.ReportTexts = t.ReportTexts;
    d.CylinderCaption = t.CylinderCaption;
    d.CompressionCaption = t.CompressionCaption;
    d.UnitCaption = t.UnitCaption;
    d.LeakageCaption = t.LeakageCaption;
    d.LeakageUnitCaption = t.LeakageUnitCaption;
}

void SetChartPictures(ReportPageData& d, const BarChart& komp, const BarChart& leak) {
    d.CompressionPicture = komp.RenderToImage(ReportChartPictureSize);
    d.LeakagePicture = leak.RenderToImage(ReportChartPictureSize);
}
