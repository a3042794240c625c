#!/usr/bin/python3
"""Times ezdxf reading and writing one drawing: prints the two durations in seconds."""
import sys
import time

import ezdxf

start = time.perf_counter()
doc = ezdxf.readfile(sys.argv[1])
read = time.perf_counter() - start
start = time.perf_counter()
doc.saveas(sys.argv[2])
write = time.perf_counter() - start
print(f"{read:.6f} {write:.6f}")
