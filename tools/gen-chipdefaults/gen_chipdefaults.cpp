// Writes the chip library's default register files ("pm_9929.dat" and the rest)
// from the emulated chips' default images, so that a buffer load by chip and
// decode index finds its file beside the programs.
//
//   ledwall-gen-chipdefaults <output directory>
//
// Each file is the chip's whole register image after start-up, with the row-decode
// mode of its decode variant set. Files are replaced atomically.

#include "chipselection.h"
#include "chiptext.h"
#include "configdll6619.h"

#include <QDir>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ledwall-gen-chipdefaults <output directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "ledwall-gen-chipdefaults: cannot create %s\n", argv[1]);
        return 1;
    }
    for (const ledwall::chip::DefaultFile &file : ledwall::chip::defaultRegisterFiles()) {
        QByteArray image(LS_CONFIG_IMAGE_SIZE, '\0');
        const bool made =
            iniDLL6619(file.chipId) == CONFIGERR_OK_6619 &&
            Set9739Mode(ledwall::chip::decodeModeForIndex(file.decodeIndex)) == CONFIGERR_OK_6619 &&
            getConfigBuffer6619(reinterpret_cast<unsigned char *>(image.data()), image.size()) ==
                CONFIGERR_OK_6619;
        QSaveFile target(out.filePath(QFileInfo(file.fileName).fileName()));
        if (!made || !target.open(QIODevice::WriteOnly) ||
            target.write(ledwall::chip::defaultFileText(image)) < 0 || !target.commit()) {
            std::fprintf(stderr, "ledwall-gen-chipdefaults: cannot write %s\n",
                         qPrintable(target.fileName()));
            return 1;
        }
    }
    return 0;
}
