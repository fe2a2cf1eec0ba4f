#pragma once

// A private D-Bus session bus for the length of a scope, as dbus-run-session
// gives a program: the bus daemon of the system's dbus-daemon, its address in
// DBUS_SESSION_BUS_ADDRESS for this process and the programs it starts, and
// the services it can start on demand (xfconfd). Tests skip without it.

#include "support/Program.h"
#include "support/ScopedEnvironment.h"

#include <optional>
#include <string>

namespace aerolune::test {

class DBusSession {
public:
    DBusSession() {
        if (const auto address = daemon_.readLine(10s); address && !address->empty())
            address_.emplace("DBUS_SESSION_BUS_ADDRESS", address->c_str());
    }
    ~DBusSession() {
        address_.reset();
        if (daemon_.started()) {
            ::kill(daemon_.pid(), SIGTERM);
            daemon_.wait(5s);
        }
    }

    bool running() const { return address_.has_value(); }

private:
    Program daemon_{"dbus-daemon", {"--session", "--nofork", "--print-address=1"}};
    std::optional<ScopedEnvironmentVariable> address_;
};

} // namespace aerolune::test
