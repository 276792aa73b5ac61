#include "port/PortBackend.h"

#include "port/DeviceBackend.h"
#include "port/IOComm.h"
#include "port/ParallelBackend.h"
#include "port/SerialBackend.h"
#include "port/TcpBackend.h"

namespace kestrel {

std::unique_ptr<PortBackend> MakePortBackend(int kind, IOComm& port) {
    switch (kind) {
        case KindTcp:
            return std::make_unique<TcpBackend>(port);
        case KindDevice:
            return std::make_unique<DeviceBackend>(port, false);
        case KindUsbPrinter:
            return std::make_unique<DeviceBackend>(port, true);
        case KindParallel:
            return std::make_unique<ParallelBackend>(port);
        default:
            return std::make_unique<SerialBackend>(port);
    }
}

}  // namespace kestrel
