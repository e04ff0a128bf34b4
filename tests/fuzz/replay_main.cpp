#include <QDirIterator>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// The normal build's stand-in for libFuzzer: every file under the folders named on the command
// line (regression inputs, seeds) goes through the target once; a broken property aborts.
int main(int argc, char **argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        QDirIterator files(QString::fromLocal8Bit(argv[i]), QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile input(files.next());
            std::printf("%s\n", qPrintable(input.fileName()));
            std::fflush(stdout);
            const QByteArray bytes =
                input.open(QIODevice::ReadOnly) ? input.readAll() : QByteArray();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()),
                                   size_t(bytes.size()));
            ++replayed;
        }
    }
    return replayed > 0 ? 0 : 1;
}
