#!/bin/sh
# Linux desktops offer to run this when the medium is mounted: it starts the wizard,
# which finds its libraries, pictures and texts beside itself in Wizard/.
exec "$(dirname "$0")/Wizard/zavro" "$@"
