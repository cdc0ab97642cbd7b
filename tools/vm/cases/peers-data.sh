# The peer matrix, second half (./korvel.sh peers): the data discs, each its own loopback
# target. The checks: tools/vm/peers-guest.sh.
RIG_ON_REQUEST=1
source "$RIG_ROOT/tools/vm/peers-lib.sh"
peer_group data-cd cdrw multisession-cdr video-cd
