#pragma once
// Controls that tests hold over the simulated volumes of this process.
#include <cstdint>
#include <functional>
#include <string>

namespace movra::platform::testing {

// A volume that lives only in this process, for drive `letter` ('A'..'Z'), built from layout
// text. Its files exist exactly as the layout lists them (file and resident records); nothing
// on disk is read or written. Replaces an earlier memory volume of that letter.
void MountMemoryVolume(char letter, const std::string& layoutText);
void UnmountMemoryVolume(char letter);
// The current layout of a memory volume, in the layout file's format.
std::string MemoryVolumeLayout(char letter);
// The current layout of a simulated folder drive, its journalled moves included; empty when
// it is refused.
std::string DiskVolumeLayout(char letter);

// GetDriveType answers `type` for the drive of `letter`; a negative type removes the choice.
void SetDriveType(char letter, int type);
// The same for any root as DriveType receives it, such as "\\server\share\" (compared
// without regard to case).
void SetRootDriveType(const std::string& root, int type);

// Every control on a simulated volume answers STATUS_PENDING; the real status arrives in the
// I/O status block.
void SetPendingAnswers(bool on);

// The Nth move on a simulated volume from now (1 = the next) fails with `status` and changes
// nothing; 0 switches it off.
void FailMove(int nth, int32_t status);

// The Nth volume bitmap request on a simulated volume from now (1 = the next) fails with
// `status`; with STATUS_SUCCESS (0) it is answered instead, but as starting one cluster past
// the one asked for, an answer no reader may trust. A count of 0 switches it off.
void FailBitmap(int nth, int32_t status);

// Called inside the simulated move control before it looks at its target, with the volume's
// lock held; it may take clusters with TakeClusters to model another writer.
void SetBeforeMove(std::function<void(char letter)> hook);
// Marks clusters as used by something that is not a listed file (a `used` record).
void TakeClusters(char letter, int64_t lcn, int64_t length);

// Clears every choice above and unmounts every memory volume.
void ResetAll();

}  // namespace movra::platform::testing
