// tests/serial/PortListTest.cpp holds the port list's tests together with the Linux port
// source's. The Windows build runs the port list's (their filter leaves the Linux ones out), and
// this stands in for the Linux source so that the program links.

#include "serial/LinuxPortSource.h"

namespace lyra {

LinuxPortSource::LinuxPortSource(std::string sysClassTty, std::string virtualFolder)
    : sysClassTty_(std::move(sysClassTty)), virtualFolder_(std::move(virtualFolder)) {}

std::optional<std::vector<PortEntry>> LinuxPortSource::readSystemPorts() { return std::nullopt; }

}  // namespace lyra
