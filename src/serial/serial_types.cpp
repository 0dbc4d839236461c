#include "serial/serial_types.h"

namespace sk {

int baudRateValue(TBaudRate rate) {
    switch (rate) {
        case TBaudRate::brCustom:
            return 0;
        case TBaudRate::br110:
            return 110;
        case TBaudRate::br300:
            return 300;
        case TBaudRate::br600:
            return 600;
        case TBaudRate::br1200:
            return 1200;
        case TBaudRate::br2400:
            return 2400;
        case TBaudRate::br4800:
            return 4800;
        case TBaudRate::br9600:
            return 9600;
        case TBaudRate::br14400:
            return 14400;
        case TBaudRate::br19200:
            return 19200;
        case TBaudRate::br38400:
            return 38400;
        case TBaudRate::br56000:
            return 56000;
        case TBaudRate::br57600:
            return 57600;
        case TBaudRate::br115200:
            return 115200;
        case TBaudRate::br128000:
            return 128000;
        case TBaudRate::br256000:
            return 256000;
    }
    return 0;
}

}  // namespace sk
