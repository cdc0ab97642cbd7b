/* Holds the ring layout that RingLayout.h writes out against the kernel's own header, which
   only compiles as C. A kernel header that moved a field stops the build here. */
#include <linux/target_core_user.h>
#include <stddef.h>

#define SAME(ours, theirs) _Static_assert((ours) == (theirs), #ours " differs from " #theirs)

SAME(128, sizeof(struct tcmu_mailbox));
SAME(0, offsetof(struct tcmu_mailbox, version));
SAME(2, offsetof(struct tcmu_mailbox, flags));
SAME(4, offsetof(struct tcmu_mailbox, cmdr_off));
SAME(8, offsetof(struct tcmu_mailbox, cmdr_size));
SAME(12, offsetof(struct tcmu_mailbox, cmd_head));
SAME(64, offsetof(struct tcmu_mailbox, cmd_tail));
SAME(2, TCMU_MAILBOX_VERSION);
SAME(1 << 1, TCMU_MAILBOX_FLAG_CAP_READ_LEN);

SAME(0, offsetof(struct tcmu_cmd_entry, hdr.len_op));
SAME(4, offsetof(struct tcmu_cmd_entry, hdr.cmd_id));
SAME(7, offsetof(struct tcmu_cmd_entry, hdr.uflags));
SAME(0x7, TCMU_OP_MASK);
SAME(8, TCMU_OP_ALIGN_SIZE);
SAME(0, TCMU_OP_PAD);
SAME(1, TCMU_OP_CMD);
SAME(2, TCMU_OP_TMR);
SAME(1 << 1, TCMU_UFLAG_READ_LEN);

SAME(8, offsetof(struct tcmu_cmd_entry, req.iov_cnt));
SAME(12, offsetof(struct tcmu_cmd_entry, req.iov_bidi_cnt));
SAME(16, offsetof(struct tcmu_cmd_entry, req.iov_dif_cnt));
SAME(24, offsetof(struct tcmu_cmd_entry, req.cdb_off));
SAME(48, offsetof(struct tcmu_cmd_entry, req.iov));
SAME(16, sizeof(struct iovec));
SAME(0, offsetof(struct iovec, iov_base));
SAME(8, offsetof(struct iovec, iov_len));

SAME(8, offsetof(struct tcmu_cmd_entry, rsp.scsi_status));
SAME(12, offsetof(struct tcmu_cmd_entry, rsp.read_len));
SAME(16, offsetof(struct tcmu_cmd_entry, rsp.sense_buffer));
SAME(96, TCMU_SENSE_BUFFERSIZE);
SAME(112, sizeof(struct tcmu_cmd_entry));
