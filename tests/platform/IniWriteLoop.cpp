// Rewrites one key of an INI file until killed, alternating between a value
// of <length> 'a's and one of <length> 'b's. Prints "ready" once the first
// write is on disk.
// Usage: ini_write_loop <file> <length>

#include "platform/IniFile.h"

#include <QString>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    IniFile file(QString::fromLocal8Bit(argv[1]), QStringLiteral("tamsel.ini"));
    const int length = std::atoi(argv[2]);
    const QString values[2] = {QString(length, u'a'), QString(length, u'b')};
    for (unsigned n = 0;; ++n) {
        file.write(QStringLiteral("data"), QStringLiteral("value"), values[n % 2]);
        if (n == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
