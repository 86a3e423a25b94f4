#include "QrDecode.h"

#include <QProcess>

namespace testsupport {

std::optional<std::string> zbarDecodeFile(const QString& path) {
    QProcess zbar;
    zbar.start(QStringLiteral(LUMO_ZBARIMG), {"--nodbus", "-q", path});
    if (!zbar.waitForFinished(30000) || zbar.exitStatus() != QProcess::NormalExit || zbar.exitCode() != 0)
        return std::nullopt;
    std::string out = zbar.readAllStandardOutput().toStdString();
    const std::string prefix = "QR-Code:";
    if (out.rfind(prefix, 0) != 0)
        return std::nullopt;
    out.erase(0, prefix.size());
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

} // namespace testsupport
