# The kit's Python module, found with libKESMARD.so beside it, on the line
# the first argument names; prints the module's answers, one a line.
import sys

import kesmard

ok, text = kesmard.init(20, 2, sys.argv[1])
ready = kesmard.status()
kesmard.write("Caf\u00e9 \u00a3", "latin-1")
kesmard.done()
print(text, int(ok), ready, kesmard.status(), kesmard.driver_name(), kesmard.usage(),
      kesmard.default_parameters(), sep="\n")
