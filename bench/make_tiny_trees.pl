#!/usr/bin/env perl
# Two trees of many tiny files for the benchmarks: make_tiny_trees.pl ROOT FILES writes FILES files of
# 104-504 bytes per side under ROOT/old and ROOT/new, 200 to a folder, 1 in 100 changed in the new tree.
use strict; use File::Path qw(make_path);
my ($root, $files) = @ARGV; srand(7);
my $folders = int(($files + 199) / 200);
for my $side ("old", "new") { make_path(sprintf("%s/%s/f%04d", $root, $side, $_)) for 0 .. $folders - 1; }
my $pool = join("", map { chr(int(rand(256))) } 1 .. 4096);
for my $i (0 .. $files - 1) {
    my $rel = sprintf("f%04d/t%07d.bin", $i % $folders, $i);
    my $data = substr($pool, int(rand(3500)), 100 + int(rand(401))) . pack("N", $i);
    open(my $o, ">", "$root/old/$rel") or die; binmode $o; print $o $data; close $o;
    substr($data, 50, 1) = chr((ord(substr($data, 50, 1)) + 1) % 256) if $i % 100 == 0;
    open(my $n, ">", "$root/new/$rel") or die; binmode $n; print $n $data; close $n;
}
