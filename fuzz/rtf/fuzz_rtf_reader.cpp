// libFuzzer target over the RTF reader (with the writer and the merge-field
// replacement behind it). Built and run by scripts/fuzz.sh.

#include "RtfFuzzCheck.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // QTextDocument needs the font database of a GUI application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Damaged pictures make the image decoders complain on every input.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "fuzz_rtf_reader";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString failure = RtfFuzz::checkInput(input);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
