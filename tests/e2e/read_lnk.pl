# perl read_lnk.pl FILE [ENCODING]: the target (the link information's local base path)
# and the working directory that a shell link (.lnk) holds, read from its bytes, as two
# lines "target=..." and "workdir=...". The base path is in the code page of the
# system that wrote the link: ENCODING names it (cp936 for a Chinese one; default
# latin1). Used by the end-to-end scripts to check a shortcut without asking the
# shell that wrote it.
use strict;
use Encode;
local $/;
open(my $f, '<:raw', $ARGV[0]) or die "cannot open $ARGV[0]\n";
my $d = <$f>;
die "not a shell link\n" unless length($d) >= 0x4C && unpack('V', $d) == 0x4C;
my $flags = unpack('V', substr($d, 0x14, 4));
my $at = 0x4C;
$at += 2 + unpack('v', substr($d, $at, 2)) if $flags & 0x1;    # HasLinkTargetIDList
my $base = '';
if ($flags & 0x2) {                                            # HasLinkInfo
  my ($size, $header, $infoFlags, $volume, $baseOffset) = unpack('V5', substr($d, $at, 20));
  if ($infoFlags & 1) { $base = unpack('Z*', substr($d, $at + $baseOffset)); }
  $at += $size;
}
my $unicode = $flags & 0x80;
my $string = sub {
  my $n = unpack('v', substr($d, $at, 2));
  my $bytes = $n * ($unicode ? 2 : 1);
  my $s = substr($d, $at + 2, $bytes);
  $at += 2 + $bytes;
  $s = $unicode ? join('', map { chr } unpack('v*', $s)) : $s;
  # Wine counts the terminating NUL in the length (Windows does not): dropped.
  $s =~ s/\0+$//;
  return $s;
};
my ($name, $relative, $workdir) = ('', '', '');
$name = $string->() if $flags & 0x4;
$relative = $string->() if $flags & 0x8;
$workdir = $string->() if $flags & 0x10;
$base = Encode::decode($ARGV[1] // 'latin1', $base);
binmode STDOUT, ':utf8';
print "target=$base\nworkdir=$workdir\n";
