# The peer matrix, first half (./korvel.sh peers): the discs with audio tracks and the blank
# CD-R, each its own loopback target. The checks: tools/vm/peers-guest.sh.
RIG_ON_REQUEST=1
source "$RIG_ROOT/tools/vm/peers-lib.sh"
peer_group audio-cd cd-extra mixed-mode blank-cdr
