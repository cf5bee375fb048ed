#include "ui/program_files.h"

#include <QDir>
#include <QFileInfo>

namespace masuvo {

QString FolderHolding(const QString& programFolder, const QString& name) {
    const QDir program(programFolder);
    for (const QString& folder : {QStringLiteral("."), QStringLiteral("../share/masuvo"),
                                  QStringLiteral("../../share/masuvo")}) {
        const QString candidate = QDir::cleanPath(program.filePath(folder));
        if (QFileInfo::exists(QDir(candidate).filePath(name))) return candidate;
    }
    return programFolder;
}

}  // namespace masuvo
