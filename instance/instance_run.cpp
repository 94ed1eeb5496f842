// A program's claim on its instance.
#include "instance/instance_run.h"

#include "instance/instance_files.h"

#include <QCoreApplication>

InstanceRun::InstanceRun(std::string instance, std::string program)
    : holder_{.instance = std::move(instance), .program = std::move(program), .pid = QCoreApplication::applicationPid()},
      claim_(ClaimFolder::ofThisUser())
{
}

HeldClaim::Result InstanceRun::claim(const SettingsValues& values)
{
    return claim_.take(instanceClaim(holder_, values));
}
