# The peer matrix in one boot, for CI (./korvel.sh rig): the three discs that cover the most of
# it, an audio CD with CD-TEXT and an INDEX 00 pre-gap, an open multi-session CD-R and the data
# CD, with every peer. The whole matrix is ./korvel.sh peers.
source "$RIG_ROOT/tools/vm/peers-lib.sh"
peer_group audio-cd multisession-cdr data-cd
