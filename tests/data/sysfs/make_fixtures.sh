#!/usr/bin/env bash
# Makes the small sysfs trees the discovery tests read. Shaped like the real
# thing: /sys/class/tty/<name> links into /sys/devices, "device" links to the
# port's device, and the USB device above it carries idVendor/idProduct.
set -euo pipefail
cd "$(dirname "$0")"
rm -rf two_ports adapter

# usb_tty <root> <tty> <usb dir> <vid> <pid> <serial or ""> <usbserial|acm>
usb_tty() {
    local root=$1 tty=$2 usb=$3 vid=$4 pid=$5 serial=$6 kind=$7
    local usbdir=$root/devices/pci0000.00/0000.00.14.0/usb1/$usb
    local iface=$usbdir/$usb.1.0  # real names hold colons; not here, for Windows checkouts
    mkdir -p "$iface"
    echo "$vid" >"$usbdir/idVendor"
    echo "$pid" >"$usbdir/idProduct"
    [ -z "$serial" ] || echo "$serial" >"$usbdir/serial"
    local port
    if [ "$kind" = usbserial ]; then port=$iface/$tty; else port=$iface; fi
    mkdir -p "$port/tty/$tty"
    echo "$tty" >"$port/tty/$tty/dev_name"
    ln -s "$(realpath --relative-to="$port/tty/$tty" "$port")" "$port/tty/$tty/device"
    mkdir -p "$root/class/tty"
    ln -s "$(realpath --relative-to="$root/class/tty" "$port/tty/$tty")" "$root/class/tty/$tty"
}

# uart_tty <root> <tty>: an 8250 port (real or placeholder; the probe decides)
uart_tty() {
    local root=$1 tty=$2
    local dev=$root/devices/platform/serial8250
    mkdir -p "$dev/tty/$tty"
    ln -s ../.. "$dev/tty/$tty/device"
    mkdir -p "$root/class/tty"
    ln -s "$(realpath --relative-to="$root/class/tty" "$dev/tty/$tty")" "$root/class/tty/$tty"
}

# virtual_tty <root> <tty>: no device link
virtual_tty() {
    local root=$1 tty=$2
    mkdir -p "$root/devices/virtual/tty/$tty"
    echo "$tty" >"$root/devices/virtual/tty/$tty/dev_name"
    mkdir -p "$root/class/tty"
    ln -s "$(realpath --relative-to="$root/class/tty" "$root/devices/virtual/tty/$tty")" \
        "$root/class/tty/$tty"
}

# Two ordinary ports, a placeholder ttyS and virtual ttys.
usb_tty two_ports ttyUSB0 1-1 067b 2303 "" usbserial
usb_tty two_ports ttyACM0 1-2 2341 0043 85734323 acm
uart_tty two_ports ttyS1
virtual_tty two_ports tty0
virtual_tty two_ports console

# A real UART, the clock's adapter, another USB serial port.
uart_tty adapter ttyS0
usb_tty adapter ttyUSB0 1-3 0403 6001 A50285BI usbserial
usb_tty adapter ttyUSB1 1-4 10c4 ea60 0001 usbserial
