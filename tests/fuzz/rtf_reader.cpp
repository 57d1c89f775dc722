// The RTF reader of the report view, into a text document as the report
// window shows it (offscreen, no window). The first byte chooses the decimal
// separator and whether the Symbol font counts as installed.
#include "rtf_document_reader.h"
#include "fuzz_input.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vemra;
    if (size < 1)
        return 0;
    RtfReadOptions options;
    options.decimalSeparator = (data[0] & 1) ? QLatin1Char(',') : QLatin1Char('.');
    options.symbolFontInstalled = (data[0] & 2) != 0;
    QTextDocument document;
    RtfDocumentReader reader(options);
    reader.read(QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1)), document);
    return 0;
}
