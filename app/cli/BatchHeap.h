#pragma once

// Prepares the process heap for a batch on the reference snapshot: the
// driver's stored results, the snapshot's tables and the grouping threads'
// working memory are allocated and freed in large amounts, and on a virtual
// machine every first touch of a 4 KiB page is a costly fault. Freed memory
// is therefore kept for reuse instead of being returned to the system, and
// the heap is asked to be backed by huge pages where the kernel allows it.
// Only speed changes; a platform without these knobs keeps its defaults.
void PrepareHeapForBatch();
