// _inp/_outp and the backend behind them.
#include "portio.h"

#include "backend.h"

#include <exception>

namespace {

// The backend in use, chosen once. A static, so that at program exit its destructor releases
// and closes a claimed port.
portio::Choice& current() {
    static portio::Choice choice;
    return choice;
}

std::function<portio::Choice()>& chooser() {
    static std::function<portio::Choice()> choose = portio::chooseForThisMachine;
    return choose;
}

portio::Choice& chosen() {
    portio::Choice& choice = current();
    if (!choice.backend) {
        try {
            choice = chooser()();
        } catch (const std::exception& e) {
            choice = portio::simulatedChoice(std::string("looking for a parallel port failed (") +
                                             e.what() + ")");
        }
        if (!choice.backend)
            choice.backend = std::make_unique<portio::SimulatedBackend>();
    }
    return choice;
}

} // namespace

namespace portio {

void setChooser(std::function<Choice()> choose) {
    chooser() = std::move(choose);
}

void install(Choice choice) {
    if (!choice.backend)
        choice.backend = std::make_unique<SimulatedBackend>();
    current() = std::move(choice);
}

} // namespace portio

int _inp(unsigned short port) {
    return chosen().backend->read(port) & 0xFF;
}

int _outp(unsigned short port, int databyte) {
    chosen().backend->write(port, databyte & 0xFF);
    return databyte & 0xFF;
}

const char* PortIO_Status() {
    return chosen().status.c_str();
}
