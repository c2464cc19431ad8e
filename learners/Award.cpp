#include "learners/Award.h"

#include <QDir>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include "app/Main.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "learners/ShortDate.h"
#include "toolkit/Label.h"
#include "toolkit/PictureLoader.h"
#include "toolkit/ScaledScene.h"

namespace tav {

namespace {
std::unique_ptr<TForm_Award>& TheForm() {
    static std::unique_ptr<TForm_Award> form;
    return form;
}

// A font whose character cell (ascent + descent) is cellHeight device pixels.
QFont FontWithCellHeight(QFont font, int cellHeight, QPaintDevice* device) {
    if (cellHeight < 1) cellHeight = 1;
    font.setPixelSize(cellHeight);
    const int cell = QFontMetrics(font, device).height();
    if (cell > 0 && cell != cellHeight)
        font.setPixelSize(std::max(1, int((int64_t(cellHeight) * cellHeight + cell / 2) / cell)));
    return font;
}
} // namespace

TPrintSetup DefaultPrintSetup() {
    TPrintSetup setup;
    setup.Choose = [](QPrinter& printer) {
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty()) folder = QDir::homePath();
        OfferPdfWhenNoPrinter(printer, !QPrinterInfo::availablePrinters().isEmpty(), folder);
        QPrintDialog dialog(&printer, DialogOwner(Form_Main));
        return dialog.exec() == QDialog::Accepted;
    };
    return setup;
}

void OfferPdfWhenNoPrinter(QPrinter& printer, bool printersInstalled, const QString& documentsFolder) {
    if (printersInstalled) return;
    // The dialog then opens on print-to-file, so a certificate can still be made.
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir(documentsFolder).filePath(printer.docName() + ".pdf"));
}

TForm_Award::TForm_Award(TForm_Main& main) : main_(main) {
    const std::string cert = main_.ContentRoot + "\\shared\\cert\\";
    const QImage background = LoadPicture(cert + "BGCol.jpg");
    BackgroundColour = background.isNull() ? QColor(Qt::white) : QColor(background.pixel(0, 0));
    Image_CertTop = LoadPicture(cert + "CertTop.jpg");
    Image_Ribbon = LoadPicture(cert + "Ribbon.jpg");
    Image_Signature = LoadPicture(cert + "Signatur.jpg");
}

void TForm_Award::Prepare(const std::string& name, const std::string& awardName) {
    const std::string letter = awardName.empty() ? std::string() : awardName.substr(0, 1);
    // The target's pictures come from the target current now: a multi-menu
    // disc may have switched targets since the last certificate.
    Image_Title = LoadPicture(main_.TargetFolder + "\\cert\\Title.jpg");
    Image_Award = LoadPicture(main_.TargetFolder + "\\cert\\" + letter + "AText.jpg");
    NameText = name;
    NameFont = PixelFont(main_.NameFont, 100);
    NameFont.setItalic(true);
    DateText = ShortDateText(Today());
    DateFont = PixelFont("Arial", 100);
}

void TForm_Award::ComputeScale(int pageWidth, int pageHeight) {
    using namespace certificate;
    // Nine tenths of whichever page dimension limits the portrait design.
    if (int64_t(kWidth) * pageHeight / kHeight < pageWidth) {
        ScaleNumerator = int64_t(pageHeight) * 9;
        ScaleDenominator = int64_t(kHeight) * 10;
    } else {
        ScaleNumerator = int64_t(pageWidth) * 9;
        ScaleDenominator = int64_t(kWidth) * 10;
    }
    OffsetX = (pageWidth - Scaled(kWidth)) / 2;
    OffsetY = (pageHeight - Scaled(kHeight)) / 2;
}

int TForm_Award::Scaled(int v) const {
    const int64_t product = int64_t(v) * ScaleNumerator;
    const int64_t half = ScaleDenominator / 2;
    return int(product >= 0 ? (product + half) / ScaleDenominator : (product - half) / ScaleDenominator);
}

QRect TForm_Award::DeviceRect(const TDesignRect& r) const {
    const int left = OffsetX + Scaled(r.Left), top = OffsetY + Scaled(r.Top);
    const int right = OffsetX + Scaled(r.Left + r.Width), bottom = OffsetY + Scaled(r.Top + r.Height);
    return QRect(left, top, right - left, bottom - top);
}

void TForm_Award::DrawLabel(QPainter& painter, const TDesignRect& r, QFont font, const QString& shown) const {
    font = FontWithCellHeight(font, Scaled(r.Height), painter.device());
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font, painter.device());
    const int left = OffsetX + Scaled(r.Left) + (Scaled(r.Width) - metrics.horizontalAdvance(shown)) / 2;
    painter.drawText(left, OffsetY + Scaled(r.Top) + metrics.ascent(), shown);
}

void TForm_Award::Draw(QPainter& painter) const {
    using namespace certificate;
    painter.save();
    QPen pen(Qt::black, Scaled(kBorderPen), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(BackgroundColour);
    painter.drawRect(DeviceRect(Border));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::NoBrush);
    // Each picture is stretched to fill its rectangle, whatever its own size.
    painter.drawImage(DeviceRect(CertTop), Image_CertTop);
    painter.drawImage(DeviceRect(Ribbon), Image_Ribbon);
    painter.drawImage(DeviceRect(Signature), Image_Signature);
    painter.drawImage(DeviceRect(Title), Image_Title);
    painter.drawImage(DeviceRect(Award), Image_Award);
    DrawLabel(painter, Name, NameFont, ToQString(NameText));
    DrawLabel(painter, Date, DateFont, ToQString(DateText));
    painter.restore();
}

bool TForm_Award::Print(const std::string& name, const std::string& awardName, const TPrintSetup& setup) {
    Prepare(name, awardName);
    QPrinter printer(QPrinter::HighResolution);
    JobName = "Tavolin " + awardName + " award";
    printer.setDocName(ToQString(JobName));
    printer.setPageOrientation(QPageLayout::Portrait);
    if (!setup.Choose || !setup.Choose(printer)) return false;
    printer.setDocName(ToQString(JobName));

    ComputeScale(printer.width(), printer.height());
    QPainter painter;
    if (!painter.begin(&printer)) throw EProgramError("The printer could not start the certificate");
    try {
        Draw(painter);
    } catch (...) {
        painter.end();
        throw;
    }
    if (!painter.end()) throw EProgramError("The printer could not finish the certificate");
    return true;
}

bool PrintCertificate(const std::string& name, const std::string& awardName) {
    return PrintCertificate(name, awardName, DefaultPrintSetup());
}

bool PrintCertificate(const std::string& name, const std::string& awardName, const TPrintSetup& setup) {
    if (!Form_Main) throw EProgramError("The certificate needs the main window");
    if (!TheForm()) TheForm() = std::make_unique<TForm_Award>(*Form_Main);
    return TheForm()->Print(name, awardName, setup);
}

TForm_Award* AwardForm() { return TheForm().get(); }
void ResetAwardForm() { TheForm().reset(); }

} // namespace tav
