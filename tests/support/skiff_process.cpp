#include "skiff_process.h"

#include <QProcess>

namespace testsupport {

int RunSkiffProcess(const std::string& argument, std::string* errors, int timeoutMs) {
    QProcess p;
    p.setProgram(AMBIT_SKIFF_PROGRAM);
    p.setArguments({QString::fromStdString(argument)});
    p.start();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        return -1;
    }
    if (errors) *errors = p.readAllStandardError().toStdString();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -3;
}

}  // namespace testsupport
