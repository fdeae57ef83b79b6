#include "print/page_data.h"

#include "chart/bar_chart.h"
#include "platform/window_text.h"
#include "print/printed_texts.h"
#include "settings/settings_file.h"

void SetCompanyDetails(ReportPageData& d, const CompanyDetails& c) {
    d.CompanyName = DiskToQ(c.Name);
    d.CompanyAddress = DiskToQ(c.Address);
    d.CompanyCity = DiskToQ(c.City);
    d.CompanyPhone = DiskToQ(c.Phone);
    d.CompanyFax = DiskToQ(c.Fax);
    d.CompanyEmail = DiskToQ(c.Email);
    d.CompanyWebsite = DiskToQ(c.Website);
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
