"""What /proc tells about a process: resident memory, threads, open files.
Under wine a Windows program is an ordinary Linux process whose pid is that
of the wine command that started it, and each of its threads is a Linux
thread, so a thread the program fails to end shows here."""

import os


def rss_kib(pid):
    """VmRSS in KiB, or None when the process is gone."""
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        return None
    return None


def threads(pid):
    try:
        return len(os.listdir("/proc/%d/task" % pid))
    except OSError:
        return None


def open_files(pid):
    try:
        return len(os.listdir("/proc/%d/fd" % pid))
    except OSError:
        return None


def sample(pid):
    return {"rss": rss_kib(pid), "threads": threads(pid), "fds": open_files(pid)}
