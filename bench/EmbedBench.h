#pragma once

class TargetReporter;

// mailsig insert of an HTML file that names three 200 KB images beside it,
// with --embed-images and without, and the base64 encoding of those images.
namespace EmbedBench {
// Its figure beside its target, from the runs the reporter kept.
void report(const TargetReporter &reporter);
} // namespace EmbedBench
